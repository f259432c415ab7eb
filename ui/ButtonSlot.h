// The keyboard's side of the face's image buttons: one focusable plate over each button slot, which takes
// no mouse input (the window's own mouse handling stays as it is), paints a focus mark on the button
// picture while it has the keyboard focus, and reports Space or Enter. A blank plate is hidden, so the
// keyboard focus never stops there. Also the caption each picture set reads and the Alt+letter that
// presses it.
#pragma once

#include <QWidget>
#include <array>

#include "ui/FaceSlot.h"

namespace fwu {

// What the button of a picture set does, as a user reads it: "Next", "Back", "Upgrade", "Retry", "Exit",
// "Close"; empty for the blank plate and any set outside 0..5.
QString ButtonCaption(int set);

// The slot that Alt+`letter` presses with the sets shown, or None: N Next, U Upgrade, B Back, R Retry,
// X Exit, and where no Exit button is shown X presses the close button, its twin. Case-insensitive.
FaceSlot SlotForAccelerator(char letter, const std::array<int, 3>& sets);

// The letter pressed with Alt for a set's button ('N', 'B', 'U', 'R', 'X'), 0 for none.
char ButtonAccelerator(int set);

class ButtonSlot : public QWidget {
    Q_OBJECT

public:
    // A plate over `slot` (not None) of `window`, shown; it joins the window's tab order where it is
    // created.
    ButtonSlot(QWidget* window, FaceSlot slot);

    FaceSlot Slot() const { return slot; }
    int Set() const { return set; }
    // The picture set the slot shows now; the blank plate hides the plate (the focus moves on when it had
    // it).
    void ShowSet(int newSet);
    // Presses the button as Space on the plate does (the accessible press action).
    void Press() { emit Pressed(slot); }

signals:
    // Space or Enter on the plate with the focus.
    void Pressed(fwu::FaceSlot slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    FaceSlot slot;
    int set = -1;
};

}  // namespace fwu
