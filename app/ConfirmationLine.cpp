#include "app/ConfirmationLine.h"

#include "res/Latin1.h"
#include "ui/SkinLabel.h"
#include "upgrade/AttemptLog.h"

namespace fwu {
namespace {

constexpr int kConfirmationFontSize = 13;
constexpr std::size_t kShownVersionChars = 63;

}  // namespace

ConfirmationLine::ConfirmationLine(QWidget* window, bool suppressBackground) : label(new CSkinLabel(window)) {
    label->setObjectName(QStringLiteral("confirmationLabel"));
    label->SetTransparent();
    label->SetTextColor(kConfirmationColour);
    label->SetFontSize(kConfirmationFontSize);
    label->SetBold(true);
    label->SetSuppressBackground(suppressBackground);
    label->setGeometry(kConfirmationRect);
    label->show();
}

ConfirmationLine::~ConfirmationLine() {
    delete label.data();
}

void ConfirmationLine::Show(ConfirmationState state, const std::string& version) {
    if (!label) {
        return;
    }
    label->SetTextColor(state == ConfirmationState::Confirmed || state == ConfirmationState::Watching
                            ? kConfirmationColour
                            : kConfirmationWarningColour);
    label->SetText(Latin1(ConfirmationText(state, PrintableText(version, kShownVersionChars))));
}

}  // namespace fwu
