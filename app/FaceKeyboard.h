// The window worked from the keyboard: the three button plates in the tab order after the page's fields,
// Space or Enter on the slot with the focus, Alt+N/U/B/R/X from anywhere on the page, and Enter in the
// password field pressing the page's forward button. Every key press is handed to the window's own button
// path from the event loop, so the window ignores it as it ignores the mouse (while busy, while the router
// is checked, on a blank plate), and a page change never destroys the field whose key is being handled.
#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "wizard/FaceSlot.h"

class QLineEdit;
class QWidget;

namespace fwu {

class ButtonSlot;

class FaceKeyboard : public QObject {
public:
    // `press` works a slot of `window` as a left-button release over it does. The window itself takes the
    // focus at first, so no button is marked until the user moves the focus.
    FaceKeyboard(QWidget& window, std::function<void(FaceSlot slot)> press);
    ~FaceKeyboard() override;
    FaceKeyboard(const FaceKeyboard&) = delete;
    FaceKeyboard& operator=(const FaceKeyboard&) = delete;

    // A page is shown with these button sets; `fields` are its input fields in tab order (none: no field),
    // `passwordField` the one where Enter presses the forward button (or none).
    void PageShown(const std::array<int, 3>& sets, const std::vector<QWidget*>& fields,
                   QLineEdit* passwordField);

    ButtonSlot* Slot(FaceSlot slot) const;  // null for None

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Queue(FaceSlot slot);

    QWidget& window;
    std::function<void(FaceSlot)> press;
    std::array<ButtonSlot*, 3> plates{};
    std::array<int, 3> sets{};
    QPointer<QObject> passwordField;  // as a QObject: compared while the field may be going
};

}  // namespace fwu
