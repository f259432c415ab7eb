// One upgrade run, apart from any front end: the router check with the run's one credential, the upload's
// start (with the downgrade question), its stop, the worker's messages through the run's mailbox, the
// verdict, and the watch of the router after its restart, which the run starts itself after a success.
// The window's wizard and the command line both drive it and show what it tells them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/SleepLock.h"
#include "router/RouterAddress.h"
#include "router/RouterCheck.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadWindow.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/RunExitStatus.h"
#include "upgrade/RunMailbox.h"

namespace fwu {

class AttemptLog;

// What the run does to the router and the carried image; the program's services and the tests' fakes
// implement it.
class UpgradeStepServices {
public:
    virtual ~UpgradeStepServices() = default;

    // Checks the router at the address with the Basic credential (see fwu::CheckRouter); may take many
    // seconds.
    virtual RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) = 0;

    // True when the carried firmware image is there and matches its digest, so an upload could send it.
    virtual bool CarriedImageIntact() = 0;

    // Starts the upload worker; true when it runs and will post WM_UPGRADE_DONE exactly once, false when
    // nothing was started and nothing will be posted.
    virtual bool StartUploadJob(const UploadTarget& target, UploadWindow& window) = 0;

    // True while a worker started by StartUploadJob may still post; JoinUpload waits for its thread.
    virtual bool UploadRunning() = 0;
    virtual void JoinUpload() = 0;

    // True while the running worker is still sending the image, so a stop would be taken; StopUpload asks
    // it to stop (it then posts its verdict, UploadOutcome::Stopped unless the last byte was already out).
    virtual bool UploadStoppable() { return false; }
    virtual void StopUpload() {}

    // Holds off suspend while an upload and the watch after it run: the lock, or why there is none. Called
    // on a thread of its own (never the run's), so it may wait within its bound.
    virtual platform::SleepLockTaken HoldOffSleep() { return {}; }

    // What the watch of the router after its restart uses; the default has no probe, so no watch runs.
    virtual ConfirmationWatchServices WatchServices() { return {}; }
};

// Where the run stands, for a front end that shows it.
enum class RunPhase { Checking, Sending, WritingFlash, Confirming };

// What the run tells and asks whoever drives it; every call comes on the run's thread.
class UpgradeRunView {
public:
    virtual ~UpgradeRunView() = default;

    virtual void OnPhase(RunPhase phase) { static_cast<void>(phase); }
    // A progress message of the worker, with its percent and the body bytes taken.
    virtual void OnProgress(const UploadProgress& progress) { static_cast<void>(progress); }
    // The transfer is over (`bodyBytes` went out): the percent starts over for the flash wait.
    virtual void OnPercentReset(std::uint64_t bodyBytes) { static_cast<void>(bodyBytes); }
    // The progress status line's text (IDS_WRITING_FLASH, IDS_STOP_REFUSED).
    virtual void OnStatusText(int stringId) { static_cast<void>(stringId); }
    // The upload ended: a success (the watch starts next) or a failure with its cause.
    virtual void OnUploadEnded(const UploadVerdict& verdict) = 0;
    // What the watch after a success saw: Watching, then one end; nothing when no watch could be started.
    virtual void OnConfirmation(std::optional<ConfirmationState> state, const std::string& version) {
        static_cast<void>(state);
        static_cast<void>(version);
    }

    // The questions: go on with a downgrade from the router's version to the carried one; stop the
    // transfer under way.
    virtual bool ConfirmDowngrade(const std::string& routerVersion, const std::string& carriedVersion) = 0;
    virtual bool ConfirmStop() = 0;

    // Runs the router check and answers its result; nothing when it could not be run. A window runs it
    // on another thread and keeps painting.
    virtual std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) {
        return check();
    }
    // Lets the last percent be seen before the verdict is shown.
    virtual void Pause(int milliseconds) { static_cast<void>(milliseconds); }
};

// What starting the upload came to.
enum class StartOutcome {
    Started,   // the upload runs (or failed to start: OnUploadEnded has said so already)
    Declined,  // the router runs a newer version and the downgrade was not confirmed: nothing was sent
    Busy,      // an upload runs already
};

// What a request to stop the run found.
enum class StopRequest {
    Asked,       // the image was still being sent: the user was asked, and a Yes stopped the transfer
    Refused,     // the image is out and the router writes its flash: no stop, the status line says why
    NotRunning,  // no upload runs: the caller may end as usual
};

class UpgradeRun final : private RunMailboxReceiver {
public:
    // `steps`, `view` and `mailbox` must outlive the run; `utilityVersion` is that of the carried image. The
    // worker and the watch post to `mailbox`; its owner hands the messages to Receiver() on this thread.
    UpgradeRun(UpgradeStepServices& steps, UpgradeRunView& view, std::string utilityVersion,
               RunMailbox& mailbox);
    ~UpgradeRun() override;  // the watch stopped and joined, a running worker joined, the credential wiped
    UpgradeRun(const UpgradeRun&) = delete;
    UpgradeRun& operator=(const UpgradeRun&) = delete;

    // Where the owner of the mailbox delivers the run's messages, on the run's thread.
    RunMailboxReceiver& Receiver() { return *this; }

    // The log the run's steps go to (none: not logged); it must outlive the run. The password and the
    // credential are never written to it.
    void SetAttemptLog(AttemptLog* log) { attemptLog = log; }

    // Checks the router at `address` with `password`: the run's credential is made from it here, the one
    // place it is made, and the upload and the watch use it. A password too long to send fails the check
    // as one the router refused.
    RouterCheckResult Check(const RouterAddress& address, const std::string& password);

    // True when the carried image is there whole; nothing is asked or sent otherwise.
    bool CarriedImageIntact() { return steps.CarriedImageIntact(); }

    // Asks before a downgrade, then starts the upload to the checked router.
    StartOutcome Start();

    // The user wants to end while an upload may run: asked while the image is still being sent (a Yes
    // stops the transfer); refused, with the status line saying why, during the flash wait.
    StopRequest RequestStop();
    // Stops the transfer without asking; false once the last byte is out (the status line says why) or
    // when no upload runs.
    bool Stop();
    // Ends the watch after the restart at once (nothing more is sent) and allows suspend again.
    void EndWatch();

    bool Busy() const { return busy; }
    bool Watching() const { return watching; }
    int Percent() const { return percent; }  // the last percent the worker posted; 0 between uploads
    const RouterAddress& Address() const { return address; }
    const std::string& RouterVersion() const { return routerVersion; }
    const std::string& UtilityVersion() const { return utilityVersion; }
    // The router's version as the verify page shows it: the version read, or "unknown (reason)".
    std::string RouterVersionShown() const { return routerVersion.empty() ? versionUnknown : routerVersion; }
    const UploadVerdict& LastVerdict() const { return lastVerdict; }
    // How the watch after the last success ended; nothing while it runs, when it was stopped or never ran.
    std::optional<ConfirmationState> WatchEnd() const { return watchEnd; }
    LastUpgrade LastUpgradeEnd() const;

private:
    void OnProgress(const UploadProgress& progress) override;
    void OnPercentReset(std::uint64_t bodyBytes) override;
    void OnStatusText(int stringId) override;
    void OnDone(const UploadVerdict& verdict) override;
    void OnConfirmation(int round, ConfirmationState state, const std::string& version) override;
    void OnSleepLock(platform::SleepLockTaken& taken) override;

    void Finish(const UploadVerdict& verdict);
    void StartWatch();
    void TakeSleepLock();
    void ReleaseSleepLock();
    void Log(std::string_view step, const std::string& text);
    std::string Outside(std::string_view text);

    UpgradeStepServices& steps;
    UpgradeRunView& view;
    RunMailbox& mailbox;
    AttemptLog* attemptLog = nullptr;

    RouterAddress address;   // the router checked last
    std::string credential;  // made from the password at the check
    std::string routerVersion;
    std::string versionUnknown;  // why the last passed check read no version, as the verify page says it
    std::string utilityVersion;
    bool busy = false;  // an upload runs
    int percent = 0;
    UploadVerdict lastVerdict;
    bool upgradeStarted = false;
    bool disproved = false;  // the watch after the last upgrade's restart showed it did not take
    bool askingStop = false;
    bool watching = false;
    int watchRound = 0;  // counts the watches, so a late report of an earlier one is dropped
    std::optional<ConfirmationState> watchEnd;
    platform::SleepLock sleepLock;  // held from the transfer's start until the watch ends or it fails
    bool sleepWanted = false;       // from the transfer's start until the lock is released
    bool sleepAsking = false;       // a request for the lock runs, its answer not yet handed over
    std::thread sleepRequest;       // asks for it off the run's thread; joined at the next request or the end
    std::unique_ptr<ConfirmationWatch> watch;
};

}  // namespace fwu
