// The three image buttons of the face: their slots, hit test, picture sets and the sets shown per page.
// The window keeps the hot button and the current sets and does the mouse handling.
#pragma once

#include <QRect>
#include <array>

#include "ui/FaceSlot.h"

class QPainter;

namespace fwu {

// Picture sets: 0 Next, 1 Back, 2 Upgrade, 3 Retry, 4 Exit, 5 close cross, 6 empty place.
inline constexpr int kButtonSetCount = 7;
// Sets of the three slots (in kFaceSlots order) on the welcome page, which the program starts with.
inline constexpr std::array<int, 3> kInitialButtonSets{0, 4, 5};

// The rectangle of a slot; an empty rectangle for None.
QRect ButtonRect(FaceSlot slot);

// The first slot (tested in kFaceSlots order) whose rectangle holds the point, or None.
FaceSlot HitTestButton(int x, int y);

// The "BUTTON" picture id of a set, normal or highlighted; 0 for a set outside 0..6.
int ButtonPictureId(int set, bool highlighted);

// The sets of the three slots for a page (0..4); any other page keeps `current`.
std::array<int, 3> ButtonSetsForPage(int page, std::array<int, 3> current);

// Draws the slot's picture at the slot, each picture decoded on its first draw and kept. Draws nothing for
// None, a set outside 0..6 or a missing picture; answers whether a picture was drawn.
bool DrawButton(QPainter& painter, FaceSlot slot, const std::array<int, 3>& sets, bool highlighted);

}  // namespace fwu
