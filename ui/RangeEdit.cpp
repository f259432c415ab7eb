// CRangeEdit: runs the range check whenever the text changes, typed, pasted or set.
#include "ui/RangeEdit.h"

#include <QApplication>

#include "wizard/RangeCheck.h"

namespace fwu {

CRangeEdit::CRangeEdit(QWidget* parent) : CEditEx(parent), beep([] { QApplication::beep(); }) {
    connect(this, &QLineEdit::textChanged, this, [this] { CheckRange(); });
}

void CRangeEdit::SetRange(int newMinimum, int newMaximum) {
    minimum = newMinimum;
    maximum = newMaximum;
    lastAccepted = newMinimum;
}

void CRangeEdit::SetBeep(std::function<void()> newBeep) {
    beep = std::move(newBeep);
}

void CRangeEdit::CheckRange() {
    // Setting the corrected text changes the text again; that change needs no second check.
    if (checking) {
        return;
    }
    checking = true;
    const RangeCheckResult result = CheckRangeText(text().toStdString(), minimum, maximum, lastAccepted);
    if (result.textChanged) {
        setText(QString::fromStdString(result.text));
        setCursorPosition(result.caret);
    }
    lastAccepted = result.lastAccepted;
    checking = false;
    if (result.beep && beep) {
        beep();
    }
}

}  // namespace fwu
