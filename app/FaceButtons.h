// The face's three image buttons as the mouse works them, and the drag of the frameless window: which slot
// is under the mouse, which slot is drawn highlighted (it stays on the pressed slot while the left button
// alone is held), and a press anywhere off the slots moving the window.
#pragma once

#include <QPoint>
#include <optional>

#include "wizard/FaceSlot.h"

class QMouseEvent;
class QWidget;

namespace fwu {

class FaceButtons {
public:
    explicit FaceButtons(QWidget& window) : window(window) {}

    FaceSlot Hot() const { return hot; }            // the slot under the mouse, None for none
    FaceSlot DrawnHot() const { return drawnHot; }  // the slot drawn highlighted

    // Draws the three slots again, the one under the mouse highlighted from now on (a page change).
    void RedrawAll();

    // The mouse handlers of the window. While `busy` no slot is hot and no press or release acts.
    void OnMove(QMouseEvent& event, bool busy);
    void OnPress(QMouseEvent& event, bool busy);
    // The slot a left-button release acts on (None: it acts on no slot); nothing when the release is not
    // one that acts (another button, or busy).
    std::optional<FaceSlot> OnRelease(QMouseEvent& event, bool busy);

private:
    void SetDrawnHot(FaceSlot slot);

    QWidget& window;
    FaceSlot hot = FaceSlot::None;
    FaceSlot drawnHot = FaceSlot::None;
    // Window drag by mouse deltas where the platform cannot move the window itself.
    bool manualDrag = false;
    QPoint dragOffset;
};

}  // namespace fwu
