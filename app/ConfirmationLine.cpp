#include "app/ConfirmationLine.h"

#include "res/PrintableText.h"
#include "res/StringTable.h"
#include "ui/Latin1.h"
#include "ui/SkinLabel.h"

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
    label->SetText(Latin1(LoadString(IDS_CONFIRMING)));  // until the watch's first report
    label->show();
}

ConfirmationLine::~ConfirmationLine() {
    delete label.data();
}

void ConfirmationLine::Clear() {
    if (label) {
        label->SetText(QString());
    }
}

void ConfirmationLine::Show(ConfirmationState state, const std::string& version) {
    if (!label) {
        return;
    }
    label->SetTextColor(state == ConfirmationState::Confirmed || state == ConfirmationState::Watching
                            ? kConfirmationColour
                            : kConfirmationWarningColour);
    label->SetText(Latin1(state == ConfirmationState::Watching
                              ? std::string(LoadString(IDS_CONFIRMING))
                              : ConfirmationText(state, MakePrintable(version, UnprintableStyle::HexEscape,
                                                                      kShownVersionChars))));
}

}  // namespace fwu
