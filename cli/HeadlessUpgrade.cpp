#include "cli/HeadlessUpgrade.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>

#include "app/SystemServices.h"
#include "app/UpgradeApp.h"
#include "cli/CarriedImage.h"
#include "cli/CliFrontEnd.h"
#include "cli/CliReporter.h"
#include "cli/CliUploadWindow.h"
#include "cli/FailureCause.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalWords.h"
#include "platform/Interrupt.h"
#include "platform/Terminal.h"
#include "res/AppVersion.h"
#include "res/StringTable.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/RunExitStatus.h"
#include "upgrade/UpgradeSequence.h"

namespace fwu::cli {
namespace {

// The program's router services as the sequence uses them, telling the front end when the upload is
// asked to start and whether a worker runs.
class ReportingSteps final : public UpgradeStepServices {
public:
    ReportingSteps(UpgradeStepServices& services, CliFrontEnd& frontEnd)
        : services(services), frontEnd(frontEnd) {}

    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) override {
        return services.CheckRouter(address, password);
    }
    bool CarriedImageIntact() override { return services.CarriedImageIntact(); }
    bool StartUploadJob(const UploadRequest& request, UploadWindow& window) override {
        frontEnd.EnterPhase(Phase::Sending);
        const bool started = services.StartUploadJob(request, window);
        frontEnd.UploadStarted(started);
        return started;
    }
    bool UploadRunning() override { return services.UploadRunning(); }
    void JoinUpload() override { services.JoinUpload(); }
    bool UploadStoppable() override { return services.UploadStoppable(); }
    void StopUpload() override { services.StopUpload(); }
    platform::SleepLockTaken HoldOffSleep() override { return services.HoldOffSleep(); }

private:
    UpgradeStepServices& services;
    CliFrontEnd& frontEnd;
};

// One diagnostic line on standard error, after the progress line being redrawn is ended.
void Diagnose(CliReporter* reporter, std::ostream& err, std::string_view text) {
    if (reporter != nullptr) {
        reporter->EndLine();
    }
    err << kProgramName << ": " << ShownText(text) << "\n" << std::flush;
}

ExitCode StoppedBy(platform::StopSignal signal) {
    return signal == platform::StopSignal::Terminate ? ExitCode::StoppedByTerminate
                                                     : ExitCode::StoppedByInterrupt;
}

std::optional<std::string> KnownOrNull(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// --check's report in words: the address, the carried image, the router's version and what an upgrade
// would do.
void ShowCheckReport(std::ostream& out, const std::string& address, const FirmwareInfo& info,
                     const std::string& routerVersion, UpgradeAction action) {
    out << "address: " << address << "\n"
        << "carried model: " << ShownText(info.model) << "\n"
        << "carried version: " << ShownText(info.utilityVersion) << "\n"
        << "router version: " << (routerVersion.empty() ? std::string("unknown") : ShownText(routerVersion))
        << "\n"
        << "an upgrade would: " << ActionWords(action) << "\n"
        << std::flush;
}

ExitCode StatusAfterWatch(std::optional<ConfirmationState> end) {
    return RunExitStatus(AfterWatch(end)) == 0 ? ExitCode::Success : ExitCode::UpgradeFailed;
}

// After the restart, watches the router come back as the success page does: one probe a second, then the
// status query with the same credential, for at most five minutes. Answers the run's exit status and
// sets `line` to what was seen; a router that names another version, or none, did not take the upgrade
// as far as anyone can tell, and a script is told so. The status is the window's rule (RunExitStatus).
ExitCode ConfirmNewVersion(UpgradeServices& services, const UpgradeSequence& sequence, CliFrontEnd& frontEnd,
                           std::string& line, std::string& confirmed) {
    frontEnd.EnterPhase(Phase::Confirming);
    std::mutex mutex;
    std::condition_variable ended;
    std::optional<ConfirmationState> outcome;
    std::string version;
    ConfirmationWatch watch(
        services.WatchServices(),
        [&](ConfirmationState state, const std::string& named) {
            if (state == ConfirmationState::Watching) {
                return;
            }
            const std::lock_guard lock(mutex);
            outcome = state;
            version = named;
            ended.notify_all();
        },
        services.Log());
    if (!watch.Start(sequence.Address().Dotted(), sequence.Password(), sequence.UtilityVersion())) {
        line = ConfirmationText(ConfirmationState::NotBack, {});
        return StatusAfterWatch(ConfirmationState::NotBack);
    }
    // Ctrl-C ends the watch as Exit ends the window's: at once, with nothing more sent.
    platform::InterruptCatcher interrupt;
    bool stopped = false;
    {
        std::unique_lock lock(mutex);
        while (!outcome && !stopped) {
            ended.wait_for(lock, std::chrono::milliseconds(100));
            stopped = interrupt.TakeRequest();
        }
    }
    watch.Stop();
    watch.Join();
    if (!outcome) {
        line = "the router's version was not confirmed: the watch was stopped";
        return StoppedBy(interrupt.LastTaken());
    }
    line = ConfirmationText(*outcome, version);
    if (*outcome == ConfirmationState::Confirmed) {
        confirmed = version;
    }
    return StatusAfterWatch(*outcome);
}

}  // namespace

int RunHeadlessUpgrade(const CliOptions& options, std::ostream& out, std::ostream& err) {
    // A reader that goes away (`| head`) must not end an upgrade: its writes fail and are dropped, and the
    // run goes on to its verdict in the log and its own exit status.
    platform::IgnoreBrokenPipe();
    // The password is read before anything else happens, so a refused line ends the run with nothing sent.
    std::optional<std::string> password;
    if (options.passwordFromStdin) {
        PasswordLine line = ReadPasswordFromStandardInput();
        if (!line.ok) {
            Diagnose(nullptr, err, line.error);
            return ToInt(ExitCode::Usage);
        }
        password = std::move(line.password);
    }

    const auto started = std::chrono::steady_clock::now();
    const auto clock = [started] {
        return std::chrono::duration_cast<CliReporter::Milliseconds>(std::chrono::steady_clock::now() -
                                                                     started);
    };
    CliReporter reporter(
        out, ChooseReportStyle(options.json, platform::IsTerminal(platform::StandardStream::Output)));
    if (options.checkOnly) {
        reporter.ReportOnlyStartAndResult();  // the check's report is the whole output
    }

    // The worker's messages are queued events: this path alone has an application object, made here,
    // after the options were read.
    static int argc = 1;
    static char name[] = "firmware-upgrade-utility";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    std::atomic<std::uint64_t> sentBytes{0};
    SystemUpgradeServices services([&sentBytes](std::uint64_t bytes) { sentBytes.store(bytes); });
    const FirmwareInfo info = services.LoadFirmwareInfo();
    RunResult result;
    result.carriedVersion = info.utilityVersion;
    const auto finish = [&](ExitCode code, std::string_view verdict) {
        result.code = code;
        result.verdict = verdict.empty() ? VerdictName(code) : verdict;
        result.label = result.verdict == "current"   ? "current"
                       : result.verdict == "checked" ? "checked"
                                                     : VerdictLabel(code);
        if (!result.cause.empty()) {
            Diagnose(&reporter, err, result.cause);
        }
        services.Log()->Write("exit",
                              std::string(result.verdict) + ", status " + std::to_string(ToInt(code)));
        reporter.OnResult(result, clock());
        return ToInt(code);
    };

    // The window's rule: one copy per user, whichever way it was started.
    CUpgradeApp instance;
    if (!instance.ClaimSingleInstance()) {
        result.address = options.address.value_or("");
        result.cause = "only one copy runs per user; wait until the other one has ended";
        return finish(ExitCode::AlreadyRunning, {});
    }

    AttemptLog& log = *services.Log();
    log.OnUnwritable([&err](const std::string& line) {
        err << kProgramName << ": warning: " << line << "; the upgrade goes on\n" << std::flush;
    });
    if (options.logPath) {
        log.AddSink(*options.logPath);  // a copy of this attempt's lines, beside the user's own log
    }
    LogRuntimeFolderNote(&log);
    std::string address;
    if (options.address) {
        log.Write("start", "a new run from the command line, address " + *options.address);
        address = *options.address;
    } else {
        address =
            services.FindDefaultGateway([&](const std::string& text) { Diagnose(&reporter, err, text); });
    }
    result.address = address;
    reporter.OnStart(RunStart{std::string(AppVersion()), info.model, info.utilityVersion, address}, clock());

    CliFrontEnd::Settings settings;
    settings.password = std::move(password);
    settings.assumeYes = options.assumeYes;
    settings.inputIsTerminal = platform::IsTerminal(platform::StandardStream::Input);
    settings.sentBytes = [&sentBytes] { return sentBytes.load(); };
    CliFrontEnd frontEnd(reporter, err, std::cin, std::move(settings), clock);
    ReportingSteps steps(services, frontEnd);
    CliUploadWindow window(frontEnd);
    UpgradeSequence sequence(steps, frontEnd, window, address, info.utilityVersion);
    sequence.SetAttemptLog(&log);
    frontEnd.Attach(sequence);
    window.Attach(sequence);

    // Next on the welcome page, Next on the login page (the router check); then, unless the check alone
    // was asked for or the router needs nothing, Upgrade on the verify page (the image check, the
    // downgrade question and the upload's start), each only while the run goes on.
    for (int press = 0; press < 2 && !frontEnd.Verdict(); ++press) {
        sequence.Forward();
    }
    if (!frontEnd.Verdict() && sequence.Page() == PAGE_VERIFY) {
        const UpgradeAction action = ActionFor(sequence.RouterVersion(), info.utilityVersion);
        result.routerVersionBefore = KnownOrNull(sequence.RouterVersion());
        reporter.OnCheck(sequence.RouterVersion(), ActionName(action), clock());
        if (options.checkOnly) {
            result.action = ActionName(action);
            if (!options.json) {
                ShowCheckReport(out, address, info, sequence.RouterVersion(), action);
            }
            return finish(ExitCode::Success, "checked");
        }
        if (options.skipCurrent && action == UpgradeAction::Same) {
            result.summary = "the router already runs " + info.utilityVersion + "; nothing was sent";
            return finish(ExitCode::Success, "current");
        }
        sequence.Forward();
    }
    // The worker posts its result exactly once; until then its messages are handed to the sequence.
    // Ctrl-C or SIGTERM stops a transfer as the window's stop question does after Yes; once the last byte
    // is out the router writes its flash, and a stop is refused with a line that says so.
    platform::InterruptCatcher interrupt;
    bool stopTaken = false;
    QTimer wake;  // the loop looks at the signals at least this often
    wake.start(100);
    while (!frontEnd.Verdict() && sequence.Busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (interrupt.TakeRequest()) {
            if (sequence.ConfirmStop()) {
                stopTaken = true;
            } else {
                Diagnose(&reporter, err, StopRefusedWords());
            }
        }
    }
    services.JoinUpload();

    HeadlessVerdict verdict;
    if (const std::optional<HeadlessVerdict> ended = frontEnd.Verdict()) {
        verdict = *ended;
    }
    if (options.checkOnly && verdict.code == ExitCode::RouterCheckFailed) {
        result.action = ActionName(UpgradeAction::Unknown);
    }
    std::string cause = PrintedCause(verdict);
    if (verdict.code == ExitCode::Success) {
        std::string confirmed;
        verdict.code = ConfirmNewVersion(services, sequence, frontEnd, cause, confirmed);
        result.routerVersionAfter = KnownOrNull(confirmed);
        if (verdict.code == ExitCode::Success) {
            result.summary = std::move(cause);
            cause.clear();
        }
    } else if (stopTaken && sequence.LastVerdict().outcome == UploadOutcome::Stopped) {
        verdict.code = StoppedBy(interrupt.LastTaken());
    }
    sequence.ReleaseSleepLock();  // the watch has ended
    result.cause = std::move(cause);
    return finish(verdict.code, {});
}

}  // namespace fwu::cli
