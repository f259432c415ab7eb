// The face's three image buttons as plain state: where each slot stands and which slot a point hits, the
// picture sets each page shows, the picture of a set normal or highlighted, and the caption and Alt letter
// of each set. Every window draws and presses the buttons from these.
#pragma once

#include <array>

#include "wizard/FaceBox.h"
#include "wizard/FaceSlot.h"

namespace fwu {

// Picture sets: 0 Next, 1 Back, 2 Upgrade, 3 Retry, 4 Exit, 5 close cross, 6 empty place.
inline constexpr int kButtonSetCount = 7;
// Sets of the three slots (in kFaceSlots order) on the welcome page, which the program starts with.
inline constexpr std::array<int, 3> kInitialButtonSets{0, 4, 5};

// The rectangle of a slot; an empty box for None.
FaceBox ButtonBox(FaceSlot slot);

// The first slot (tested in kFaceSlots order) whose rectangle holds the point, or None.
FaceSlot HitTestButton(int x, int y);

// The "BUTTON" picture id of a set, normal or highlighted; 0 for a set outside 0..6.
int ButtonPictureId(int set, bool highlighted);

// The sets of the three slots for a page (0..4); any other page keeps `current`.
std::array<int, 3> ButtonSetsForPage(int page, std::array<int, 3> current);

// What the button of a picture set does, as a user reads it: "Next", "Back", "Upgrade", "Retry", "Exit",
// "Close"; empty for the blank plate and any set outside 0..5.
const char* ButtonCaptionText(int set);

// The slot that Alt+`letter` presses with the sets shown, or None: N Next, U Upgrade, B Back, R Retry,
// X Exit, and where no Exit button is shown X presses the close button, its twin. Case-insensitive.
FaceSlot SlotForAccelerator(char letter, const std::array<int, 3>& sets);

// The letter pressed with Alt for a set's button ('N', 'B', 'U', 'R', 'X'), 0 for none.
char ButtonAccelerator(int set);

}  // namespace fwu
