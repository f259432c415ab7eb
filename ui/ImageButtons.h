// The three image buttons of the face: their slots, hit test, picture sets and the sets shown per page.
// The window keeps the hot button and the current sets and does the mouse handling.
#pragma once

#include <QRect>
#include <array>

class QPainter;

namespace fwu {

inline constexpr int BTN_FORWARD = 1;
inline constexpr int BTN_SECOND = 2;
inline constexpr int BTN_CLOSE = 3;

// Picture sets: 0 Next, 1 Back, 2 Upgrade, 3 Retry, 4 Exit, 5 close cross, 6 empty place.
inline constexpr int kButtonSetCount = 7;
// Sets of slots 1, 2 and 3 on the welcome page, which the program starts with.
inline constexpr std::array<int, 3> kInitialButtonSets{0, 4, 5};

// The rectangle of slot 1, 2 or 3; an empty rectangle for any other slot.
QRect ButtonRect(int slot);

// The first slot (tested 1, 2, 3) whose rectangle holds the point, or 0.
int HitTestButton(int x, int y);

// The "BUTTON" picture id of a set, normal or highlighted; 0 for a set outside 0..6.
int ButtonPictureId(int set, bool highlighted);

// The sets of slots 1..3 for a page (0..4); any other page keeps `current`.
std::array<int, 3> ButtonSetsForPage(int page, std::array<int, 3> current);

// Draws the slot's picture at the slot, each picture decoded on its first draw and kept. Draws nothing for
// slot 0, a slot above 3, a set outside 0..6 or a missing picture; answers whether a picture was drawn.
bool DrawButton(QPainter& painter, int slot, const std::array<int, 3>& sets, bool highlighted);

}  // namespace fwu
