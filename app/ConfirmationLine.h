// The success page's line about the router after its restart: that it is being confirmed, then the
// version it now runs, or a warning in the warning colour when it came back with another version or did
// not come back.
#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <string>

#include "upgrade/ConfirmationWatch.h"

class QWidget;

namespace fwu {

class CSkinLabel;

// Below "You have successfully upgraded your Router.", left of the picture.
inline constexpr QRect kConfirmationRect(32, 250, 236, 110);
inline const QColor kConfirmationColour(75, 75, 75);
inline const QColor kConfirmationWarningColour(190, 40, 40);

class ConfirmationLine {
public:
    // Creates the empty label "confirmationLabel" as a child of `window`.
    ConfirmationLine(QWidget* window, bool suppressBackground);
    ~ConfirmationLine();
    ConfirmationLine(const ConfirmationLine&) = delete;
    ConfirmationLine& operator=(const ConfirmationLine&) = delete;

    // Shows the line for the state; the version as the router gave it (shown printable, bounded).
    void Show(ConfirmationState state, const std::string& version);

    void Clear();  // no line at all

    CSkinLabel* Label() const { return label.data(); }

private:
    QPointer<CSkinLabel> label;
};

}  // namespace fwu
