// The mouse on the window's face, as a user works it: the button slots' centres and a click there.
#pragma once

#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

namespace fwu::testing {

// Slot centres and a point of the bare face, in window coordinates.
inline const QPoint kNext(492, 304);
inline const QPoint kSecond(492, 354);
inline const QPoint kClose(522, 37);
inline const QPoint kFace(100, 100);

// One mouse event at `at`, sent straight to `widget`.
void Mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Moves there, presses and releases the left button.
void Click(QWidget& widget, QPoint at);

}  // namespace fwu::testing
