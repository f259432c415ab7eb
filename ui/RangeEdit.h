// CRangeEdit: a CEditEx that keeps its number inside a range, checking the text on every change.
#pragma once

#include <functional>

#include "ui/EditEx.h"

namespace fwu {

class CRangeEdit : public CEditEx {
    Q_OBJECT

public:
    explicit CRangeEdit(QWidget* parent = nullptr);

    // Stores the range; the last accepted value becomes the minimum.
    void SetRange(int minimum, int maximum);
    int Minimum() const { return minimum; }
    int Maximum() const { return maximum; }
    int LastAcceptedValue() const { return lastAccepted; }

    // The sound of a refused change; the system beep unless replaced (tests count the calls).
    void SetBeep(std::function<void()> beep);

private:
    void CheckRange();

    int maximum = 100;
    int minimum = 0;
    int lastAccepted = 0;
    bool checking = false;
    std::function<void()> beep;
};

}  // namespace fwu
