// The wizard's pages over the upgrade run.
#include "wizard/WizardFlow.h"

#include "platform/Secrets.h"
#include "res/StringTable.h"
#include "upgrade/FailureText.h"
#include "wizard/PageFlow.h"

namespace fwu {

WizardFlow::WizardFlow(UpgradeStepServices& steps, WizardView& view, RunMailbox& mailbox,
                       const std::string& proposedAddress, std::string utilityVersion)
    : view(view),
      address(RouterAddress::Split(proposedAddress)),
      run(steps, *this, std::move(utilityVersion), mailbox) {}

WizardFlow::~WizardFlow() {
    platform::WipeSecret(password);
}

void WizardFlow::Press(FaceSlot slot) {
    switch (ReleaseAction(slot, page, run.Busy())) {
        case ButtonAction::PageForward:
            // Nothing is asked and nothing is sent when the image to send is not there whole.
            if (page != PAGE_VERIFY || CarriedImageReady()) {
                ChangePage(false);
            }
            break;
        case ButtonAction::VerifyThenForward:
            if (CheckRouter()) {
                ChangePage(false);
            }
            break;
        case ButtonAction::PageBack:
            ChangePage(true);
            break;
        case ButtonAction::Retry:
            if (CarriedImageReady()) {
                StartUpgrade();
            }
            break;
        case ButtonAction::EndDialog:
            view.EndRun();
            break;
        case ButtonAction::None:
            break;
    }
}

void WizardFlow::StoreTypedLogin() {
    if (const std::optional<WizardView::TypedLogin> typed = view.ReadLogin()) {
        platform::WipeSecret(password);
        password = typed->password;
        address = RouterAddress::FromFields(typed->octets);
    }
}

void WizardFlow::ChangePage(bool back) {
    const std::optional<PageNumber> next = PageAfter(page, back);
    if (!next) {
        return;
    }
    view.BeginPageChange();
    if (page == PAGE_LOGIN) {
        StoreTypedLogin();
    }
    view.LeavePage(page);
    page = *next;
    view.EnterPage(page);
    if (page == PAGE_PROGRESS) {
        StartUpgrade();
    }
    view.EndPageChange();
}

CloseAnswer WizardFlow::RequestClose() {
    if (checkingRouter) {
        return CloseAnswer::Stay;
    }
    if (run.Busy()) {
        run.RequestStop();  // asks while the image is sent; says why not during the flash wait
        return CloseAnswer::Stay;
    }
    return CloseAnswer::Close;
}

bool WizardFlow::CheckRouter() {
    if (page != PAGE_LOGIN || !view.ReadLogin()) {
        return false;
    }
    // The values typed are stored whatever the check's outcome.
    StoreTypedLogin();
    checkingRouter = true;
    view.CheckStarted();
    const RouterCheckResult result = run.Check(address, password);
    checkingRouter = false;
    view.CheckEnded();
    if (!result.passed) {
        const std::string reason = RouterCheckFailureText(result);
        if (reason.empty()) {
            view.ShowError(IDS_ROUTER_NOT_FOUND);
        } else {
            view.ShowErrorWithReason(IDS_ROUTER_NOT_FOUND, reason);
        }
    }
    return result.passed;
}

bool WizardFlow::CarriedImageReady() {
    if (run.CarriedImageIntact()) {
        return true;
    }
    view.ShowError(IDS_IMAGE_DAMAGED);
    return false;
}

bool WizardFlow::StartUpgrade() {
    if (run.Start() == StartOutcome::Declined) {
        view.EndRun();  // nothing has been sent to the router
        return false;
    }
    return true;
}

// ---- What the run tells ----

void WizardFlow::OnPhase(RunPhase phase) {
    if (phase == RunPhase::Sending && page == PAGE_PROGRESS) {
        view.ShowUploadStarted();
    }
}

void WizardFlow::OnProgress(const UploadProgress& progress) {
    if (page == PAGE_PROGRESS) {
        view.ShowProgress(progress.percent);
    }
}

void WizardFlow::OnPercentReset(std::uint64_t) {
    if (page == PAGE_PROGRESS) {
        view.SetShownPercent(0);
    }
}

void WizardFlow::OnStatusText(int stringId) {
    if (page == PAGE_PROGRESS) {
        view.ShowStatusText(stringId);
    }
}

void WizardFlow::OnUploadEnded(const UploadVerdict& verdict) {
    if (verdict.result != 0) {
        ChangePage(false);  // the success page; the run starts its watch next
        return;
    }
    if (page == PAGE_PROGRESS) {
        view.ShowUploadFailure(FailureText(verdict));
        view.SetShownPercent(0);
    }
}

void WizardFlow::OnConfirmation(std::optional<ConfirmationState> state, const std::string& version) {
    if (page != PAGE_DONE) {
        return;
    }
    view.ShowConfirmation(state, version);
    if (!state || !Disproves(*state)) {
        return;
    }
    // Another version, or no router: back to the progress page, which shows the cause as for a failed
    // transfer and offers Retry.
    view.BeginPageChange();
    view.LeavePage(page);
    page = PAGE_PROGRESS;
    view.EnterPage(page);
    view.ShowUploadFailure(DisprovedUpgradeText(*state, version));
    view.SetShownPercent(0);
    view.EndPageChange();
}

bool WizardFlow::ConfirmDowngrade(const std::string&, const std::string&) {
    return view.AskYesNo(IDS_ASK_DOWNGRADE);
}

bool WizardFlow::ConfirmStop() {
    return view.AskYesNo(IDS_ASK_STOP);
}

std::optional<RouterCheckResult> WizardFlow::RunCheck(const std::function<RouterCheckResult()>& check) {
    return view.RunCheck(check);
}

void WizardFlow::Pause(int milliseconds) {
    view.Pause(milliseconds);
}

}  // namespace fwu
