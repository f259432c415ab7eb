// The upgrade sequence: pages, router check, start, worker's messages and verdict.
#include "upgrade/UpgradeSequence.h"

#include "package/FirmwarePackage.h"
#include "platform/Secrets.h"
#include "res/StringTable.h"
#include "router/Credential.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/FailureText.h"

namespace fwu {

UpgradeSequence::UpgradeSequence(UpgradeStepServices& steps, UpgradeFrontEnd& frontEnd,
                                 UploadWindow& uploadWindow, const std::string& proposedAddress,
                                 std::string utilityVersion)
    : steps(steps),
      frontEnd(frontEnd),
      uploadWindow(uploadWindow),
      address(RouterAddress::Split(proposedAddress)),
      utilityVersion(std::move(utilityVersion)) {}

UpgradeSequence::~UpgradeSequence() {
    platform::WipeSecret(password);
    platform::WipeSecret(uploadRequest.password);
}

void UpgradeSequence::Forward() {
    if (busy) {
        return;
    }
    switch (ForwardAction(page)) {
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
        default:
            break;
    }
}

void UpgradeSequence::Second() {
    if (busy) {
        return;
    }
    switch (SecondAction(page)) {
        case ButtonAction::EndDialog:
            frontEnd.EndRun();
            break;
        case ButtonAction::PageBack:
            ChangePage(true);
            break;
        case ButtonAction::Retry:
            if (CarriedImageReady()) {
                StartUpgrade();
            }
            break;
        default:
            break;
    }
}

void UpgradeSequence::StoreTypedLogin() {
    if (const std::optional<UpgradeFrontEnd::TypedLogin> typed = frontEnd.ReadLogin()) {
        password = typed->password;
        address = RouterAddress::FromFields(typed->octets);
    }
}

void UpgradeSequence::ChangePage(bool back) {
    const std::optional<PageNumber> next = PageAfter(page, back);
    if (!next) {
        return;
    }
    frontEnd.BeginPageChange();
    if (page == PAGE_LOGIN) {
        StoreTypedLogin();
    }
    frontEnd.LeavePage(page);
    page = *next;
    frontEnd.EnterPage(page);
    if (page == PAGE_PROGRESS) {
        StartUpgrade();
    }
    frontEnd.EndPageChange();
}

bool UpgradeSequence::CheckRouter() {
    if (page != PAGE_LOGIN || !frontEnd.ReadLogin()) {
        return false;
    }
    // The values typed are stored whatever the check's outcome.
    StoreTypedLogin();
    checkingRouter = true;
    frontEnd.CheckStarted();
    const std::optional<RouterCheckResult> result = frontEnd.RunCheck(
        [this, checked = address, typed = password] { return steps.CheckRouter(checked, typed); });
    checkingRouter = false;
    frontEnd.CheckEnded();
    if (result && result->version) {
        routerVersion = *result->version;
    }
    if (result && result->passed) {
        versionUnknown = UnknownVersionText(*result);
    }
    const bool passed = result && result->passed;  // a check that could not run has failed
    Log("check", address.Dotted() +
                     (!result  ? ": could not run"
                      : passed ? ": passed"
                               : ": failed") +
                     (result && result->version ? ", router runs " + Outside(*result->version)
                                                : std::string(", no version read")) +
                     (result && result->probeMeans != ProbeMeans::None
                          ? ", pinged by " + std::string(ProbeMeansName(result->probeMeans))
                          : std::string()));
    if (!passed) {
        const std::string reason = result ? RouterCheckFailureText(*result) : std::string();
        if (reason.empty()) {
            frontEnd.ShowError(IDS_ROUTER_NOT_FOUND);
        } else {
            frontEnd.ShowErrorWithReason(IDS_ROUTER_NOT_FOUND, reason);
        }
    }
    return passed;
}

bool UpgradeSequence::CarriedImageReady() {
    if (steps.CarriedImageIntact()) {
        return true;
    }
    frontEnd.ShowError(IDS_IMAGE_DAMAGED);
    return false;
}

bool UpgradeSequence::StartUpgrade() {
    if (CompareVersionText(routerVersion, utilityVersion) < 0) {
        const bool yes = frontEnd.AskYesNo(IDS_ASK_DOWNGRADE);
        Log("downgrade", "router runs " + Outside(routerVersion) + ", image carries " +
                             Outside(utilityVersion) + ": user answered " + (yes ? "Yes" : "No"));
        if (!yes) {
            frontEnd.EndRun();  // nothing has been sent to the router
            return false;
        }
    }
    busy = true;
    upgradeStarted = true;
    disproved = false;
    frontEnd.ShowUploadStarted();
    uploadRequest = UploadRequest{address.Dotted(), password};
    TakeSleepLock();
    if (!steps.StartUploadJob(uploadRequest, uploadWindow)) {
        // No worker runs: the router's web server did not take the connection, or nothing could be
        // started at all. Retry is offered at once.
        UploadVerdict notStarted;
        notStarted.outcome = UploadOutcome::NotConnected;
        Finish(notStarted);
    }
    return true;
}

void UpgradeSequence::OnProgress(int newPercent) {
    if (page != PAGE_PROGRESS) {
        return;  // a late message after the progress page was left
    }
    percent = frontEnd.ShowProgress(newPercent);
}

void UpgradeSequence::OnPercentReset(int newPercent) {
    percent = newPercent;
    if (page == PAGE_PROGRESS) {
        frontEnd.SetShownPercent(percent);
    }
}

void UpgradeSequence::OnDone(const UploadVerdict& verdict) {
    if (!busy) {
        return;
    }
    frontEnd.Pause(1000);
    Finish(verdict);
}

void UpgradeSequence::OnConfirmation(ConfirmationState state, const std::string& version) {
    if (page != PAGE_DONE || busy) {
        return;
    }
    if (state == ConfirmationState::Confirmed) {
        routerVersion = version;
        return;
    }
    if (!Disproves(state)) {
        return;
    }
    disproved = true;
    if (state == ConfirmationState::OtherVersion) {
        routerVersion = version;  // what a Retry's downgrade question compares against
    }
    // Back to the progress page, which shows the cause as for a failed transfer and offers Retry.
    frontEnd.BeginPageChange();
    frontEnd.LeavePage(page);
    page = PAGE_PROGRESS;
    frontEnd.EnterPage(page);
    UploadVerdict failed = lastVerdict;
    failed.result = 0;
    frontEnd.ShowUploadFailure(failed, DisprovedUpgradeText(state, version));
    frontEnd.SetShownPercent(0);
    frontEnd.EndPageChange();
}

LastUpgrade UpgradeSequence::LastUpgradeEnd() const {
    if (!upgradeStarted || busy) {
        return upgradeStarted ? LastUpgrade::Failed : LastUpgrade::None;
    }
    if (lastVerdict.result == 0) {
        return LastUpgrade::Failed;
    }
    return disproved ? LastUpgrade::Disproved : LastUpgrade::Done;
}

StopRequest UpgradeSequence::RequestStop() {
    if (!busy) {
        return StopRequest::NotRunning;
    }
    if (!steps.UploadStoppable()) {
        uploadWindow.SetStatusText(IDS_STOP_REFUSED, 0);
        return StopRequest::Refused;
    }
    if (askingStop) {
        return StopRequest::Asked;  // the question is already on screen
    }
    askingStop = true;
    const bool stop = frontEnd.AskYesNo(IDS_ASK_STOP);
    askingStop = false;
    // The transfer went on while the question was up: it may have ended, or its last byte gone out.
    if (stop) {
        ConfirmStop();
    }
    return StopRequest::Asked;
}

bool UpgradeSequence::ConfirmStop() {
    if (!busy) {
        return false;
    }
    if (!steps.UploadStoppable()) {
        uploadWindow.SetStatusText(IDS_STOP_REFUSED, 0);
        return false;
    }
    steps.StopUpload();
    return true;
}

void UpgradeSequence::Finish(const UploadVerdict& verdict) {
    lastVerdict = verdict;
    if (verdict.result != 0) {
        ChangePage(false);  // the success page's watch ends with ReleaseSleepLock
    } else {
        ReleaseSleepLock();
        if (page == PAGE_PROGRESS) {
            frontEnd.ShowUploadFailure(verdict, FailureText(verdict));
        }
    }
    busy = false;
    percent = 0;
    if (page == PAGE_PROGRESS) {
        frontEnd.SetShownPercent(0);
    }
}

void UpgradeSequence::HideSecrets() {
    // The log keeps one copy of each; the ones made here are wiped as they go.
    attemptLog->Hide(password);
    std::string credential;
    if (BuildBasicCredential(password, credential)) {
        attemptLog->Hide(std::move(credential));
    }
    platform::WipeSecret(credential);
}

std::string UpgradeSequence::Outside(std::string_view text) {
    if (attemptLog == nullptr) {
        return {};
    }
    HideSecrets();
    return attemptLog->Outside(text);
}

void UpgradeSequence::TakeSleepLock() {
    if (sleepLock.Held()) {
        return;
    }
    platform::SleepLockTaken taken = steps.HoldOffSleep();
    if (taken.lock.Held()) {
        sleepLock = std::move(taken.lock);
        Log("sleep", "suspend held off until the router's new version is confirmed");
    } else if (!taken.failure.empty()) {
        Log("sleep", "suspend not held off, the upgrade goes on: " + taken.failure);
    }
}

void UpgradeSequence::ReleaseSleepLock() {
    if (sleepLock.Held()) {
        sleepLock.Release();
        Log("sleep", "suspend allowed again");
    }
}

void UpgradeSequence::Log(std::string_view step, const std::string& text) {
    if (attemptLog == nullptr) {
        return;
    }
    HideSecrets();
    attemptLog->Write(step, text);
}

}  // namespace fwu
