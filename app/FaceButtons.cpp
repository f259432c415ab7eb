// The image buttons' highlight and the window drag.
#include "app/FaceButtons.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "ui/ImageButtons.h"

namespace fwu {
namespace {

// With the left button alone held down, the highlight stays on the slot where it was; any other key or
// button held with it lets the highlight follow the mouse.
bool HoldsHighlight(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    return buttons == Qt::LeftButton && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier));
}

}  // namespace

void FaceButtons::RedrawAll() {
    drawnHot = hot;
    for (int slot = BTN_FORWARD; slot <= BTN_CLOSE; ++slot) {
        window.update(ButtonRect(slot));
    }
}

void FaceButtons::SetDrawnHot(int slot) {
    const int old = drawnHot;
    drawnHot = slot;
    if (old != 0) {
        window.update(ButtonRect(old));
    }
    if (slot != 0) {
        window.update(ButtonRect(slot));
    }
}

void FaceButtons::OnMove(QMouseEvent& event, bool busy) {
    const QPoint at = event.position().toPoint();
    hot = busy ? 0 : HitTestButton(at.x(), at.y());
    if (drawnHot != hot && !HoldsHighlight(event.buttons(), event.modifiers())) {
        SetDrawnHot(hot);
    }
    if (manualDrag && (event.buttons() & Qt::LeftButton)) {
        window.move(event.globalPosition().toPoint() - dragOffset);
    }
}

void FaceButtons::OnPress(QMouseEvent& event, bool busy) {
    if (busy || event.button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event.position().toPoint();
    hot = HitTestButton(at.x(), at.y());
    if (hot != 0) {
        return;  // a button acts on release
    }
    // A press on the bare face or a label drags the window.
    QWindow* handle = window.windowHandle();
    if (handle == nullptr || !handle->startSystemMove()) {
        manualDrag = true;
        dragOffset = event.globalPosition().toPoint() - window.pos();
    }
}

int FaceButtons::OnRelease(QMouseEvent& event, bool busy) {
    if (event.button() != Qt::LeftButton) {
        return -1;
    }
    manualDrag = false;
    if (busy) {
        return -1;
    }
    const QPoint at = event.position().toPoint();
    hot = HitTestButton(at.x(), at.y());
    return hot;
}

}  // namespace fwu
