// The keyboard's side of the face's image buttons: one focusable plate over each button slot, which takes
// no mouse input (the window's own mouse handling stays as it is), paints a focus mark on the button
// picture while it has the keyboard focus, and reports Space or Enter. A blank plate is hidden, so the
// keyboard focus never stops there. The captions and Alt letters of the sets are the wizard's
// (wizard/ButtonStates.h).
#pragma once

#include <QWidget>
#include <array>

#include "wizard/ButtonStates.h"

namespace fwu {

// The caption of a set (ButtonCaptionText) as a QString; empty for the blank plate.
QString ButtonCaption(int set);

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
