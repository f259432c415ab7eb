// The focusable plates over the image buttons and their captions and accelerators.
#include "ui/ButtonSlot.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/ImageButtons.h"

namespace fwu {
namespace {

// The focus mark: a dotted rectangle inset on the plate, white dots over a dark line so that it reads on
// the dark plates, the yellow one and the close cross alike.
constexpr int kFocusInset = 7;
const QColor kFocusDark(20, 24, 60);
const QColor kFocusLight(255, 255, 255);

}  // namespace

QString ButtonCaption(int set) {
    return QLatin1String(ButtonCaptionText(set));
}

ButtonSlot::ButtonSlot(QWidget* window, FaceSlot slot) : QWidget(window), slot(slot) {
    // "buttonSlot1" to "buttonSlot3", numbered from 1 as the slots stand on the face
    setObjectName(QStringLiteral("buttonSlot%1").arg(SlotIndex(slot) + 1));
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the window hit-tests the slots itself
    setFocusPolicy(Qt::TabFocus);
    setGeometry(ButtonRect(slot));
    show();
}

void ButtonSlot::ShowSet(int newSet) {
    set = newSet;
    setVisible(!ButtonCaption(newSet).isEmpty());
    update();
}

void ButtonSlot::paintEvent(QPaintEvent*) {
    if (!hasFocus()) {
        return;  // the window paints the button picture below; the plate adds only the mark
    }
    QPainter painter(this);
    const QRect mark = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1);
    painter.setPen(QPen(kFocusDark, 1));
    painter.drawRect(mark);
    painter.setPen(QPen(kFocusLight, 1, Qt::DotLine));
    painter.drawRect(mark);
}

void ButtonSlot::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (plain) {
                event->accept();
                if (!event->isAutoRepeat()) {
                    emit Pressed(slot);
                }
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);  // Escape and the rest go on to the window
}

}  // namespace fwu
