// The wizard over the upgrade run: the page shown, what each press of the two page buttons does on it,
// the login's values as typed, and the pages that follow from what the run tells (the success page after
// an upload, the progress page again when the router disproves it), and when the window may close. It
// knows no toolkit: each window implements WizardView, owns the run's mailbox for its own event loop, and
// forwards its presses and close requests here.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "router/RouterAddress.h"
#include "upgrade/RunMailbox.h"
#include "upgrade/UpgradeRun.h"
#include "wizard/FaceSlot.h"
#include "wizard/Pages.h"

namespace fwu {

// What the wizard asks of the window, on the window's thread. Entering a page, the window shows that
// page's picture, its button sets (ButtonSetsForPage), its texts (wizard/PageTexts.h) and, on the login
// page, the fields filled from Address() and Password(); everything it decides itself is in this folder.
class WizardView {
public:
    virtual ~WizardView() = default;

    // A page change: Begin, Leave the old page, Enter the new one, (the upgrade may start here), End.
    virtual void BeginPageChange() = 0;
    virtual void LeavePage(PageNumber page) = 0;
    virtual void EnterPage(PageNumber page) = 0;
    virtual void EndPageChange() = 0;

    // What the login page holds as typed; nothing when no login page is shown.
    struct TypedLogin {
        std::string password;
        RouterAddress::Octets octets;
    };
    virtual std::optional<TypedLogin> ReadLogin() = 0;

    // Between CheckStarted and CheckEnded the user is told to wait; RunCheck runs the check and answers
    // its result, nothing when it could not be run.
    virtual void CheckStarted() = 0;
    virtual std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) = 0;
    virtual void CheckEnded() = 0;

    // The progress page: an upload starts (also a Retry); a progress message; the percent painted from
    // now on without a message; the status line's text; a failed upload with the text of its cause.
    virtual void ShowUploadStarted() = 0;
    virtual void ShowProgress(int percent) = 0;
    virtual void SetShownPercent(int percent) = 0;
    virtual void ShowStatusText(int stringId) = 0;
    virtual void ShowUploadFailure(const std::string& causeText) = 0;
    // The success page's line about the router after its restart; nothing: no watch runs.
    virtual void ShowConfirmation(std::optional<ConfirmationState> state, const std::string& version) = 0;

    virtual bool AskYesNo(int stringId) = 0;
    virtual void ShowError(int stringId) = 0;
    // An error: the string-table text, a blank line, then `reason` (what was seen).
    virtual void ShowErrorWithReason(int stringId, const std::string& reason) = 0;
    virtual void Pause(int milliseconds) = 0;  // lets the last percent be seen
    virtual void EndRun() = 0;                 // the user ended the run: the window closes
};

// What a request to close the window (its close button while busy, Escape, the system's close) comes to.
enum class CloseAnswer {
    Close,  // nothing runs: the window may go
    Stay,   // the router is being checked, or an upload runs (the run asked whether to stop it, or said
            // why it cannot while the router writes its flash)
};

class WizardFlow final : private UpgradeRunView {
public:
    // `proposedAddress` is the gateway found at start-up; `steps`, `view` and `mailbox` must outlive the
    // wizard. The run's worker and watch post to `mailbox`; its owner hands their messages to Receiver()
    // on the window's thread.
    WizardFlow(UpgradeStepServices& steps, WizardView& view, RunMailbox& mailbox,
               const std::string& proposedAddress, std::string utilityVersion);
    ~WizardFlow() override;  // the password's copy overwritten

    // A press of the button in `slot` (BTN_FORWARD, BTN_SECOND, BTN_CLOSE), as the mouse's release or the
    // keyboard made it: decided here once (ReleaseAction) and carried out. Ignored while an upload runs.
    void Press(FaceSlot slot);

    // One page forward or back, when the page machine allows it; entering the progress page starts the
    // upload.
    void ChangePage(bool back);

    // The user asks to close the window: Stay while the router is checked; while an upload runs the run is
    // asked to stop (UpgradeRun::RequestStop) and the window stays; otherwise it may close.
    CloseAnswer RequestClose();

    // Where the owner of the mailbox delivers the run's messages.
    RunMailboxReceiver& Receiver() { return run.Receiver(); }

    UpgradeRun& Run() { return run; }
    const UpgradeRun& Run() const { return run; }
    PageNumber Page() const { return page; }
    bool Busy() const { return run.Busy(); }
    bool CheckingRouter() const { return checkingRouter; }
    // The login's values: proposed, then as typed (the address the router check takes).
    const RouterAddress& Address() const { return address; }
    const std::string& Password() const { return password; }

private:
    bool CheckRouter();
    bool StartUpgrade();
    bool CarriedImageReady();
    void StoreTypedLogin();

    // What the run tells the wizard.
    void OnPhase(RunPhase phase) override;
    void OnProgress(const UploadProgress& progress) override;
    void OnPercentReset(std::uint64_t bodyBytes) override;
    void OnStatusText(int stringId) override;
    void OnUploadEnded(const UploadVerdict& verdict) override;
    void OnConfirmation(std::optional<ConfirmationState> state, const std::string& version) override;
    bool ConfirmDowngrade(const std::string& routerVersion, const std::string& carriedVersion) override;
    bool ConfirmStop() override;
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;
    void Pause(int milliseconds) override;

    WizardView& view;
    PageNumber page = PAGE_WELCOME;
    bool checkingRouter = false;
    RouterAddress address;
    std::string password = "rodel";
    UpgradeRun run;
};

}  // namespace fwu
