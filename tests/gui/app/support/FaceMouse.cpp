#include "tests/gui/app/support/FaceMouse.h"

#include <QApplication>

namespace fwu::testing {

void Mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget, QPoint at) {
    Mouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

}  // namespace fwu::testing
