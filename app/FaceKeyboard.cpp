// The window's keyboard operation.
#include "app/FaceKeyboard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QWidget>

#include "ui/ButtonSlot.h"
#include "ui/ImageButtons.h"

namespace fwu {

FaceKeyboard::FaceKeyboard(QWidget& window, std::function<void(FaceSlot)> press)
    : QObject(&window), window(window), press(std::move(press)) {
    for (const FaceSlot slot : kFaceSlots) {
        auto* plate = new ButtonSlot(&window, slot);
        connect(plate, &ButtonSlot::Pressed, this, &FaceKeyboard::Queue);
        plates[SlotIndex(slot)] = plate;
    }
    for (const char letter : {'N', 'U', 'B', 'R', 'X'}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_A + (letter - 'A'))), &window);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this, letter] {
            if (const FaceSlot slot = SlotForAccelerator(letter, sets); slot != FaceSlot::None) {
                Queue(slot);
            }
        });
    }
    window.setFocus(Qt::OtherFocusReason);
}

FaceKeyboard::~FaceKeyboard() {
    if (passwordField) {
        passwordField->removeEventFilter(this);
    }
}

ButtonSlot* FaceKeyboard::Slot(FaceSlot slot) const {
    return slot == FaceSlot::None ? nullptr : plates[SlotIndex(slot)];
}

void FaceKeyboard::PageShown(const std::array<int, 3>& newSets, const std::vector<QWidget*>& fields,
                             QLineEdit* newPasswordField) {
    sets = newSets;
    for (std::size_t i = 0; i < plates.size(); ++i) {
        plates[i]->ShowSet(sets[i]);  // a blank plate hides and hands its focus on
    }
    // The plates follow the page's fields in the tab order.
    QWidget* previous = fields.empty() ? nullptr : fields.back();
    for (ButtonSlot* plate : plates) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, plate);
        }
        previous = plate;
    }
    if (passwordField) {
        passwordField->removeEventFilter(this);
    }
    passwordField = newPasswordField;
    if (passwordField) {
        passwordField->installEventFilter(this);
    }
    // A page that took the focus from a field it removed leaves it with the window: no button is marked
    // until the user moves the focus.
    if (window.focusWidget() == nullptr) {
        window.setFocus(Qt::OtherFocusReason);
    }
}

bool FaceKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == passwordField && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (!key->isAutoRepeat()) {
                Queue(BTN_FORWARD);
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FaceKeyboard::Queue(FaceSlot slot) {
    // Run from the event loop: the press may change the page and so destroy the widget whose key event is
    // still being delivered. The window's own checks (busy, router check, page) apply when it runs.
    QMetaObject::invokeMethod(
        &window, [press = press, slot] { press(slot); }, Qt::QueuedConnection);
}

}  // namespace fwu
