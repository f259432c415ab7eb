// The upgrade sequence without a window: the state of one run, the page machine, the router check step,
// the start of the upload (with the downgrade question and the carried-image check), the worker's
// messages and the verdict. A front end (the window, or a command line) shows what it is told and asks
// the user the sequence's questions; the steps that reach the router are handed in.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SleepLock.h"
#include "router/RouterAddress.h"
#include "router/RouterCheck.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadWindow.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/Pages.h"
#include "upgrade/RunExitStatus.h"

namespace fwu {

class AttemptLog;

// What the sequence does to the router and the carried image; the program's services and the tests'
// fakes implement it.
class UpgradeStepServices {
public:
    virtual ~UpgradeStepServices() = default;

    // Checks the router at the address with the password (see fwu::CheckRouter); may take many seconds.
    virtual RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) = 0;

    // True when the carried firmware image is there and matches its digest, so an upload could send it.
    virtual bool CarriedImageIntact() = 0;

    // Starts the upload worker; true when it runs and will post WM_UPGRADE_DONE exactly once, false when
    // nothing was started and nothing will be posted.
    virtual bool StartUploadJob(const UploadRequest& request, UploadWindow& window) = 0;

    // True while a worker started by StartUploadJob may still call the window; JoinUpload then waits for
    // its thread, which by then no longer waits for the window.
    virtual bool UploadRunning() = 0;
    virtual void JoinUpload() = 0;

    // True while the running worker is still sending the image, so a stop would be taken; StopUpload asks
    // it to stop (it then posts its verdict, UploadOutcome::Stopped unless the last byte was already out).
    // Steps that cannot stop a worker answer false and are never asked to stop.
    virtual bool UploadStoppable() { return false; }
    virtual void StopUpload() {}

    // Holds off suspend while an upload and the watch after it run: the lock, or why there is none. The
    // default asks nothing and holds nothing (no failure either), so steps that reach no bus stay quiet.
    virtual platform::SleepLockTaken HoldOffSleep() { return {}; }
};

// What the sequence asks of its front end.
class UpgradeFrontEnd {
public:
    virtual ~UpgradeFrontEnd() = default;

    // A page change: Begin, Leave the old page, Enter the new one, (the upgrade may start here), End.
    virtual void BeginPageChange() = 0;
    virtual void LeavePage(PageNumber page) = 0;
    virtual void EnterPage(PageNumber page) = 0;
    virtual void EndPageChange() = 0;

    // What the login page holds as typed: the password and the four octet fields; nothing when no login
    // page is shown.
    struct TypedLogin {
        std::string password;
        RouterAddress::Octets octets;
    };
    virtual std::optional<TypedLogin> ReadLogin() = 0;

    // Runs the router check and answers its result; nothing when it could not be run. Between
    // CheckStarted and CheckEnded the user is told to wait.
    virtual void CheckStarted() = 0;
    virtual std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) = 0;
    virtual void CheckEnded() = 0;

    // The progress page: a progress message with the worker's percent (answers the percent the bar now
    // shows); the percent shown from now on without a message; a failed upload with its cause and the
    // text that says it (FailureText): the bar emptied, the figure cleared, the progress started over.
    virtual int ShowProgress(int percent) = 0;
    virtual void SetShownPercent(int percent) = 0;
    // A front end that shows no cause takes the failure as ShowUploadFailed with the percent reached.
    virtual void ShowUploadFailure(const UploadVerdict& verdict, const std::string& causeText) {
        static_cast<void>(causeText);
        ShowUploadFailed(verdict.percent);
    }
    virtual void ShowUploadFailed(int lastPercent) { static_cast<void>(lastPercent); }

    virtual bool AskYesNo(int stringId) = 0;
    virtual void ShowError(int stringId) = 0;
    virtual void Pause(int milliseconds) = 0;  // lets the last percent be seen
    virtual void EndRun() = 0;                 // the user ended the run: nothing more happens

    // An upload starts (also a Retry): the progress page's status line and figure as at its first start.
    // Nothing to do for a front end whose status does not outlive a run.
    virtual void ShowUploadStarted() {}
    // An error: the string-table text, a blank line, then `reason` (what was seen). A front end that shows
    // no reason shows the text alone.
    virtual void ShowErrorWithReason(int stringId, const std::string& reason) {
        static_cast<void>(reason);
        ShowError(stringId);
    }
};

// What a request to stop the run found.
enum class StopRequest {
    Asked,       // the image was still being sent: the user was asked, and a Yes stopped the transfer
    Refused,     // the image is out and the router writes its flash: no stop, the status line says why
    NotRunning,  // no upload runs: the caller may end as usual
};

class UpgradeSequence {
public:
    // `proposedAddress` is the gateway found at start-up; `utilityVersion` that of the carried image.
    // `steps`, `frontEnd` and `uploadWindow` (where the worker posts) must outlive the sequence.
    UpgradeSequence(UpgradeStepServices& steps, UpgradeFrontEnd& frontEnd, UploadWindow& uploadWindow,
                    const std::string& proposedAddress, std::string utilityVersion);
    ~UpgradeSequence();  // the password's copies overwritten
    UpgradeSequence(const UpgradeSequence&) = delete;
    UpgradeSequence& operator=(const UpgradeSequence&) = delete;

    // The two page buttons, as the user pressed them (ignored while busy).
    void Forward();
    void Second();

    // One page forward or back, when the page machine allows it; entering the progress page starts the
    // upload.
    void ChangePage(bool back);
    // The router check of the login page; true when the router passed.
    bool CheckRouter();
    // The downgrade question, then the upload start; false when the user said No (the run ends).
    bool StartUpgrade();

    // The worker's messages, in the order posted.
    void OnProgress(int percent);
    void OnPercentReset(int percent);
    void OnDone(unsigned result) { OnDone(VerdictOfResult(result)); }
    void OnDone(const UploadVerdict& verdict);

    // What the watch of the router after the restart saw. Another version, or no router within its
    // minutes, disproves the upgrade counted as done: the progress page comes back in its failure state
    // with the cause and Retry, and a Retry compares against the version the router came back with.
    // Ignored off the success page.
    void OnConfirmation(ConfirmationState state, const std::string& version);

    // The user wants to close while an upload may run (close button, window close, Escape, Ctrl-C).
    // While the image is still being sent the user is asked (IDS_ASK_STOP) and Yes stops the transfer;
    // during the flash wait nothing stops and the status line says why.
    StopRequest RequestStop();
    // Stops the transfer without asking; false (with the status line saying why when an upload runs)
    // once the last byte is out or when no upload runs.
    bool ConfirmStop();

    // The watch of the router after its restart has ended (or will not run): suspend is allowed again.
    // A failed or stopped upload releases the lock itself.
    void ReleaseSleepLock();
    bool HoldsSleepLock() const { return sleepLock.Held(); }

    PageNumber Page() const { return page; }
    bool Busy() const { return busy; }
    bool CheckingRouter() const { return checkingRouter; }
    int Percent() const { return percent; }
    const RouterAddress& Address() const { return address; }
    const std::string& Password() const { return password; }
    const std::string& RouterVersion() const { return routerVersion; }
    const std::string& UtilityVersion() const { return utilityVersion; }
    const UploadRequest& PreparedRequest() const { return uploadRequest; }
    // The router's version as the verify page shows it: the version read, or "unknown (reason)" when the
    // check passed without one. The comparison takes RouterVersion().
    std::string RouterVersionShown() const { return routerVersion.empty() ? versionUnknown : routerVersion; }
    // The verdict of the last upload that ended.
    const UploadVerdict& LastVerdict() const { return lastVerdict; }
    // How the last upgrade of the run ended (RunExitStatus makes the exit status of it).
    LastUpgrade LastUpgradeEnd() const;

    // The log the router check's outcome and the downgrade answer go to (none: not logged); it must
    // outlive the sequence. The password and its credential are never written to it.
    void SetAttemptLog(AttemptLog* log) { attemptLog = log; }

private:
    bool CarriedImageReady();
    void Finish(const UploadVerdict& verdict);
    void StoreTypedLogin();
    void TakeSleepLock();

    UpgradeStepServices& steps;
    UpgradeFrontEnd& frontEnd;
    UploadWindow& uploadWindow;

    PageNumber page = PAGE_WELCOME;
    bool busy = false;  // an upload runs: every button is ignored
    bool checkingRouter = false;
    int percent = 0;  // the last percent the worker posted, as the bar shows it
    RouterAddress address;
    std::string password = "rodel";
    std::string routerVersion;
    std::string utilityVersion;
    UploadRequest uploadRequest;
    std::string versionUnknown;  // why the last passed check read no version, as the verify page says it
    UploadVerdict lastVerdict;
    bool upgradeStarted = false;  // an upload was started in this run
    bool disproved = false;       // the watch after the last upgrade's restart showed it did not take
    bool askingStop = false;      // the stop question is on screen
    AttemptLog* attemptLog = nullptr;
    void HideSecrets();
    // A text from outside for a log line, the password and credential hidden in it first.
    std::string Outside(std::string_view text);
    platform::SleepLock sleepLock;  // held from the transfer's start until the watch ends or it fails
    void Log(std::string_view step, const std::string& text);
};

}  // namespace fwu
