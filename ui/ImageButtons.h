// The three image buttons of the face drawn with Qt: the slots' Qt rectangles and the pictures of their
// sets. The slots, hit test and sets per page are the wizard's (wizard/ButtonStates.h); the window keeps
// the hot button and the current sets and does the mouse handling.
#pragma once

#include <QRect>
#include <array>

#include "wizard/ButtonStates.h"

class QPainter;

namespace fwu {

// The Qt rectangle of a slot; an empty rectangle for None.
QRect ButtonRect(FaceSlot slot);

// Draws the slot's picture at the slot, each picture decoded on its first draw and kept. Draws nothing for
// None, a set outside 0..6 or a missing picture; answers whether a picture was drawn.
bool DrawButton(QPainter& painter, FaceSlot slot, const std::array<int, 3>& sets, bool highlighted);

}  // namespace fwu
