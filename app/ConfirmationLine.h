// The success page's line about the router after its restart: that it is being confirmed, then the
// version it now runs, or a warning in the warning colour when it came back with another version or did
// not come back.
#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <string>

#include "ui/FaceRect.h"
#include "upgrade/ConfirmationWatch.h"
#include "wizard/PageTexts.h"

class QWidget;

namespace fwu {

class CSkinLabel;

inline constexpr QRect kConfirmationRect = QtRect(kConfirmationBox);
inline const QColor kConfirmationColour(QtRgb(colour::kPageText));

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
