// The window's side of the upload and of what follows it: the progress page's figures, status line and
// failure, and the success page's line about the router after its restart.
#include "app/ConfirmationLine.h"
#include "app/StatusText.h"
#include "app/UpgradeDlg.h"
#include "res/StringTable.h"
#include "ui/Latin1.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinLabel.h"
#include "wizard/PageTexts.h"

namespace fwu {

void CUpgradeDlg::ShowStatusText(int stringId) {
    ApplyStatusText(Latin1(LoadString(stringId)));
}

void CUpgradeDlg::ApplyStatusText(const QString& text) {
    update(statusRect);
    if (progressDisplay) {
        progressDisplay->SetStatusText(text);
    }
}

void CUpgradeDlg::ShowProgress(int newPercent) {
    if (progressDisplay) {
        progressDisplay->ShowMessage(newPercent, Latin1(FormatPercentText(newPercent)));
    }
}

void CUpgradeDlg::SetShownPercent(int newPercent) {
    // Shown from the next paint on; the strips already drawn stay until the next message.
    if (progressDisplay) {
        progressDisplay->SetBarPercent(newPercent);
    }
}

void CUpgradeDlg::ShowUploadFailure(const std::string& causeText) {
    if (progressDisplay) {
        progressDisplay->ShowFailure(Latin1(causeText));
    }
}

void CUpgradeDlg::ShowUploadStarted() {
    if (progressDisplay) {
        progressDisplay->ShowStart(Latin1(ProgressStatusLabel().text), Latin1(PercentFigureLabel().text));
    }
}

void CUpgradeDlg::ShowConfirmation(std::optional<ConfirmationState> state, const std::string& version) {
    if (!confirmationLine) {
        return;
    }
    if (state) {
        confirmationLine->Show(*state, version);
    } else {
        confirmationLine->Clear();  // no watch: nothing is being confirmed, and nothing disproved
    }
}

CSkinLabel* CUpgradeDlg::ConfirmationLabel() const {
    return confirmationLine ? confirmationLine->Label() : nullptr;
}

}  // namespace fwu
