// One upgrade run: the check, the upload's start and stop, the worker's messages, the verdict and the watch.
#include "upgrade/UpgradeRun.h"

#include <system_error>

#include "package/FirmwarePackage.h"
#include "platform/Secrets.h"
#include "res/StringTable.h"
#include "router/Credential.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/FailureText.h"

namespace fwu {

UpgradeRun::UpgradeRun(UpgradeStepServices& steps, UpgradeRunView& view, std::string utilityVersion,
                       RunMailbox& mailbox)
    : steps(steps), view(view), mailbox(mailbox), utilityVersion(std::move(utilityVersion)) {}

UpgradeRun::~UpgradeRun() {
    watch.reset();  // stopped and joined: it posts to the mailbox
    // The worker posts to the mailbox until its end; it never waits for this thread, so the join ends.
    steps.JoinUpload();
    if (sleepRequest.joinable()) {
        sleepRequest.join();  // within the request's own bound; it posts to the mailbox
    }
    platform::WipeSecret(credential);
}

RouterCheckResult UpgradeRun::Check(const RouterAddress& checked, const std::string& password) {
    address = checked;
    platform::WipeSecret(credential);
    const bool sendable = BuildBasicCredential(password, credential);
    if (attemptLog != nullptr) {
        // The log keeps its own copies and hides them wherever they appear, whoever writes the line.
        attemptLog->Hide(password);
        attemptLog->Hide(credential);
    }
    view.OnPhase(RunPhase::Checking);
    std::optional<RouterCheckResult> result;
    if (sendable) {
        result =
            view.RunCheck([this, checked, sent = credential] { return steps.CheckRouter(checked, sent); });
    } else {
        result = RouterCheckResult{};  // a password the credential cannot carry whole counts as refused
        result->reason = RouterCheckReason::PasswordRefused;
    }
    if (!result) {
        Log("check", address.Dotted() + ": could not run, no version read");
        RouterCheckResult notRun;
        notRun.reason = RouterCheckReason::NotRun;
        return notRun;
    }
    if (result->version) {
        routerVersion = *result->version;
    }
    if (result->passed) {
        versionUnknown = UnknownVersionText(*result);
    }
    Log("check", address.Dotted() + (result->passed ? ": passed" : ": failed") +
                     (result->version ? ", router runs " + Outside(*result->version)
                                      : std::string(", no version read")) +
                     (result->probeMeans != ProbeMeans::None
                          ? ", pinged by " + std::string(ProbeMeansName(result->probeMeans))
                          : std::string()));
    return *result;
}

StartOutcome UpgradeRun::Start() {
    if (busy) {
        return StartOutcome::Busy;
    }
    if (CompareVersionText(routerVersion, utilityVersion) < 0) {
        const bool yes = view.ConfirmDowngrade(routerVersion, utilityVersion);
        Log("downgrade", "router runs " + Outside(routerVersion) + ", image carries " +
                             Outside(utilityVersion) + ": user answered " + (yes ? "Yes" : "No"));
        if (!yes) {
            return StartOutcome::Declined;  // nothing has been sent to the router
        }
    }
    busy = true;
    upgradeStarted = true;
    disproved = false;
    watchEnd.reset();
    percent = 0;
    view.OnPhase(RunPhase::Sending);
    TakeSleepLock();
    // The start builds its request from the target at once; the copy of the credential goes with it.
    UploadTarget target{address, credential};
    const bool started = steps.StartUploadJob(target, mailbox);
    platform::WipeSecret(target.credential);
    if (!started) {
        // No worker runs: the router's web server did not take the connection, or nothing could be
        // started at all. The failure is told at once.
        UploadVerdict notStarted;
        notStarted.outcome = UploadOutcome::NotConnected;
        Finish(notStarted);
    }
    return StartOutcome::Started;
}

void UpgradeRun::OnProgress(const UploadProgress& progress) {
    if (!busy) {
        return;  // a late message of an upload already ended
    }
    percent = progress.percent;
    view.OnProgress(progress);
}

void UpgradeRun::OnPercentReset(std::uint64_t bodyBytes) {
    if (!busy) {
        return;
    }
    percent = 0;
    view.OnPhase(RunPhase::WritingFlash);
    view.OnPercentReset(bodyBytes);
}

void UpgradeRun::OnStatusText(int stringId) {
    if (busy) {
        view.OnStatusText(stringId);
    }
}

void UpgradeRun::OnDone(const UploadVerdict& verdict) {
    if (!busy) {
        return;
    }
    view.Pause(1000);
    Finish(verdict);
}

void UpgradeRun::Finish(const UploadVerdict& verdict) {
    lastVerdict = verdict;
    busy = false;
    percent = 0;
    if (verdict.result == 0) {
        ReleaseSleepLock();
        view.OnUploadEnded(verdict);
        return;
    }
    view.OnUploadEnded(verdict);
    StartWatch();  // the lock is released when the watch ends
}

void UpgradeRun::StartWatch() {
    const int round = ++watchRound;
    watch = std::make_unique<ConfirmationWatch>(
        steps.WatchServices(),
        [this, round](ConfirmationState state, const std::string& version) {
            mailbox.PostConfirmation(round, state, version);  // on the watch's thread
        },
        attemptLog);
    view.OnPhase(RunPhase::Confirming);
    watching = watch->Start(address, credential, utilityVersion);
    if (!watching) {
        watch.reset();
        ReleaseSleepLock();  // nothing watches the router
        view.OnConfirmation(std::nullopt, {});
    }
}

void UpgradeRun::OnConfirmation(int round, ConfirmationState state, const std::string& version) {
    if (round != watchRound || !watching) {
        return;  // from an earlier watch, or one ended by the user
    }
    if (state == ConfirmationState::Watching) {
        view.OnConfirmation(state, version);
        return;
    }
    watching = false;
    watchEnd = state;
    ReleaseSleepLock();
    if (state == ConfirmationState::Confirmed || state == ConfirmationState::OtherVersion) {
        routerVersion = version;  // what a Retry's downgrade question compares against
    }
    disproved = Disproves(state);
    view.OnConfirmation(state, version);
}

void UpgradeRun::EndWatch() {
    if (watch) {
        watch->Stop();  // at once: nothing more is sent, and the caller is not held up
    }
    watching = false;
    ReleaseSleepLock();
}

LastUpgrade UpgradeRun::LastUpgradeEnd() const {
    if (!upgradeStarted || busy) {
        return upgradeStarted ? LastUpgrade::Failed : LastUpgrade::None;
    }
    if (lastVerdict.result == 0) {
        return LastUpgrade::Failed;
    }
    return disproved ? LastUpgrade::Disproved : LastUpgrade::Done;
}

StopRequest UpgradeRun::RequestStop() {
    if (!busy) {
        return StopRequest::NotRunning;
    }
    if (!steps.UploadStoppable()) {
        view.OnStatusText(IDS_STOP_REFUSED);
        return StopRequest::Refused;
    }
    if (askingStop) {
        return StopRequest::Asked;  // the question is already on screen
    }
    askingStop = true;
    const bool stop = view.ConfirmStop();
    askingStop = false;
    // The transfer went on while the question was up: it may have ended, or its last byte gone out.
    if (stop) {
        Stop();
    }
    return StopRequest::Asked;
}

bool UpgradeRun::Stop() {
    if (!busy) {
        return false;
    }
    if (!steps.UploadStoppable()) {
        view.OnStatusText(IDS_STOP_REFUSED);
        return false;
    }
    steps.StopUpload();
    return true;
}

// The request runs on a thread of its own and its answer comes through the mailbox, so the run's thread
// (the window's) never waits for the bus. One request at a time: a start while one runs takes its answer.
void UpgradeRun::TakeSleepLock() {
    sleepWanted = true;
    if (sleepLock.Held() || sleepAsking) {
        return;
    }
    if (sleepRequest.joinable()) {
        sleepRequest.join();  // its answer was handed over: the thread has ended or is ending
    }
    try {
        sleepRequest = std::thread([this] { mailbox.PostSleepLock(steps.HoldOffSleep()); });
        sleepAsking = true;
    } catch (const std::system_error&) {
        Log("sleep", "suspend not held off, the upgrade goes on: no thread to ask for the lock");
    }
}

void UpgradeRun::OnSleepLock(platform::SleepLockTaken& taken) {
    sleepAsking = false;
    if (!sleepWanted) {
        return;  // the run no longer needs it: a lock given late closes with the message
    }
    if (taken.lock.Held()) {
        sleepLock = std::move(taken.lock);
        Log("sleep", "suspend held off until the router's new version is confirmed");
    } else if (!taken.failure.empty()) {
        Log("sleep", "suspend not held off, the upgrade goes on: " + taken.failure);
    }
}

void UpgradeRun::ReleaseSleepLock() {
    sleepWanted = false;
    if (sleepLock.Held()) {
        sleepLock.Release();
        Log("sleep", "suspend allowed again");
    }
}

std::string UpgradeRun::Outside(std::string_view text) {
    return attemptLog == nullptr ? std::string() : attemptLog->Outside(text);
}

void UpgradeRun::Log(std::string_view step, const std::string& text) {
    if (attemptLog != nullptr) {
        attemptLog->Write(step, text);
    }
}

}  // namespace fwu
