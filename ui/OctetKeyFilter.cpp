// The octet fields' key rules applied to the four fields of the login page.
#include "ui/OctetKeyFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace fwu {
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return (keypad ? VKEY_NUMPAD0 : VKEY_0) + (qtKey - Qt::Key_0);
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return VKEY_A + (qtKey - Qt::Key_A);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return 112 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Period:
            return keypad ? VKEY_DECIMAL : VKEY_OEM_PERIOD;
        case Qt::Key_Comma:  // the keypad's decimal key on layouts with a decimal comma
            return keypad ? VKEY_DECIMAL : 188;
        case Qt::Key_Backspace:
            return VKEY_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VKEY_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VKEY_RETURN;
        case Qt::Key_Shift:
            return VKEY_SHIFT;
        case Qt::Key_Control:
            return VKEY_CONTROL;
        case Qt::Key_Alt:
            return VKEY_MENU;
        case Qt::Key_Escape:
            return VKEY_ESCAPE;
        case Qt::Key_Space:
            return VKEY_SPACE;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return VKEY_END;
        case Qt::Key_Home:
            return VKEY_HOME;
        case Qt::Key_Left:
            return VKEY_LEFT;
        case Qt::Key_Up:
            return VKEY_UP;
        case Qt::Key_Right:
            return VKEY_RIGHT;
        case Qt::Key_Down:
            return VKEY_DOWN;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return VKEY_DELETE;
        default:
            return 0;
    }
}

OctetKeyFilter::OctetKeyFilter(const std::array<QLineEdit*, 4>& octetFields, QObject* parent)
    : QObject(parent) {
    for (std::size_t i = 0; i < octetFields.size(); ++i) {
        fields[i] = octetFields[i];
        if (octetFields[i] != nullptr) {
            octetFields[i]->installEventFilter(this);
        }
    }
}

int OctetKeyFilter::FieldIndex(const QObject* object) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == object) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool OctetKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || delivering) {
        return false;
    }
    const int field = FieldIndex(watched);
    if (field < 0) {
        return false;
    }
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    QLineEdit* edit = fields[static_cast<std::size_t>(field)];
    int selStart = edit->cursorPosition();
    int selEnd = selStart;
    if (edit->hasSelectedText()) {
        selStart = edit->selectionStart();
        selEnd = edit->selectionEnd();
    }
    const QByteArray text = edit->text().toLocal8Bit();
    const OctetKeyDecision decision =
        DecideOctetKey(field, VirtualKeyOf(keyEvent->key(), keyEvent->modifiers()), selStart, selEnd,
                       std::string_view(text.constData(), static_cast<std::size_t>(text.size())));

    if (decision.pass && decision.moveToField < 0) {
        return false;  // the field handles the key as usual
    }
    if (decision.pass) {
        // The key belongs to the field it was typed in; it is handled there before the focus moves on,
        // so that the field still works on its own selection.
        QKeyEvent copy(keyEvent->type(), keyEvent->key(), keyEvent->modifiers(), keyEvent->text(),
                       keyEvent->isAutoRepeat(), static_cast<ushort>(keyEvent->count()));
        delivering = true;
        QCoreApplication::sendEvent(edit, &copy);
        delivering = false;
    }
    Apply(field, decision);
    return true;
}

void OctetKeyFilter::Apply(int field, const OctetKeyDecision& decision) {
    QLineEdit* edit = fields[static_cast<std::size_t>(field)];
    if (decision.replaceText && edit != nullptr) {
        edit->setText(QString::fromStdString(*decision.replaceText));
        edit->setCursorPosition(decision.replaceCaret);
    }
    if (decision.moveToField < 0 || decision.moveToField > kLastOctetField) {
        return;
    }
    QLineEdit* target = fields[static_cast<std::size_t>(decision.moveToField)];
    if (target == nullptr) {
        return;
    }
    if (decision.backspaceIntoPrevious) {
        const QByteArray previous = target->text().toLocal8Bit();
        const BackspaceInto result = BackspaceIntoField(
            std::string_view(previous.constData(), static_cast<std::size_t>(previous.size())));
        target->setText(QString::fromLocal8Bit(result.text));
        target->setFocus(Qt::OtherFocusReason);
        if (result.caret >= 0) {
            target->setCursorPosition(result.caret);
        } else {
            target->deselect();
        }
        return;
    }
    target->setFocus(Qt::OtherFocusReason);
    if (decision.selectAllMoved) {
        target->selectAll();
    }
}

}  // namespace fwu
