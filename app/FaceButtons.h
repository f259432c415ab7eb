// The face's three image buttons as the mouse works them, and the drag of the frameless window: which slot
// is under the mouse, which slot is drawn highlighted (it stays on the pressed slot while the left button
// alone is held), and a press anywhere off the slots moving the window.
#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

namespace fwu {

class FaceButtons {
public:
    explicit FaceButtons(QWidget& window) : window(window) {}

    int Hot() const { return hot; }            // the slot under the mouse, 0 for none
    int DrawnHot() const { return drawnHot; }  // the slot drawn highlighted

    // Draws the three slots again, the one under the mouse highlighted from now on (a page change).
    void RedrawAll();

    // The mouse handlers of the window. While `busy` no slot is hot and no press or release acts.
    void OnMove(QMouseEvent& event, bool busy);
    void OnPress(QMouseEvent& event, bool busy);
    // The slot a left-button release acts on (0 for none); -1 when the release is not one that acts.
    int OnRelease(QMouseEvent& event, bool busy);

private:
    void SetDrawnHot(int slot);

    QWidget& window;
    int hot = 0;
    int drawnHot = 0;
    // Window drag by mouse deltas where the platform cannot move the window itself.
    bool manualDrag = false;
    QPoint dragOffset;
};

}  // namespace fwu
