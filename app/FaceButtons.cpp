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
    for (const FaceSlot slot : kFaceSlots) {
        window.update(ButtonRect(slot));
    }
}

void FaceButtons::SetDrawnHot(FaceSlot slot) {
    const FaceSlot old = drawnHot;
    drawnHot = slot;
    if (old != FaceSlot::None) {
        window.update(ButtonRect(old));
    }
    if (slot != FaceSlot::None) {
        window.update(ButtonRect(slot));
    }
}

void FaceButtons::OnMove(QMouseEvent& event, bool busy) {
    const QPoint at = event.position().toPoint();
    hot = busy ? FaceSlot::None : HitTestButton(at.x(), at.y());
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
    if (hot != FaceSlot::None) {
        return;  // a button acts on release
    }
    // A press on the bare face or a label drags the window.
    QWindow* handle = window.windowHandle();
    if (handle == nullptr || !handle->startSystemMove()) {
        manualDrag = true;
        dragOffset = event.globalPosition().toPoint() - window.pos();
    }
}

std::optional<FaceSlot> FaceButtons::OnRelease(QMouseEvent& event, bool busy) {
    if (event.button() != Qt::LeftButton) {
        return std::nullopt;
    }
    manualDrag = false;
    if (busy) {
        return std::nullopt;
    }
    const QPoint at = event.position().toPoint();
    hot = HitTestButton(at.x(), at.y());
    return hot;
}

}  // namespace fwu
