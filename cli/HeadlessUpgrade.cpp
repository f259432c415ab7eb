#include "cli/HeadlessUpgrade.h"

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>

#include "cli/CarriedImage.h"
#include "cli/CliFrontEnd.h"
#include "cli/CliReporter.h"
#include "cli/FailureCause.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalWords.h"
#include "platform/Interrupt.h"
#include "platform/Secrets.h"
#include "platform/Terminal.h"
#include "res/AppVersion.h"
#include "res/StringTable.h"
#include "services/SingleInstance.h"
#include "services/SystemServices.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/FailureText.h"
#include "upgrade/RunExitStatus.h"
#include "upgrade/UpgradeRun.h"

namespace fwu::cli {
namespace {

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

// The run's messages until `waiting` is false: the worker's and the watch's posts reach the run through
// its mailbox here. Ctrl-C or SIGTERM calls `onSignal`; the loop looks at the signals at least every 100 ms.
void RunEventsWhile(const std::function<bool()>& waiting, QueuedRunMailbox& mailbox, UpgradeRun& run,
                    platform::InterruptCatcher& interrupt, const std::function<void()>& onSignal) {
    while (waiting()) {
        mailbox.DeliverFor(run.Receiver(), std::chrono::milliseconds(100));
        if (interrupt.TakeRequest()) {
            onSignal();
        }
    }
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

    // The worker's and the watch's messages are queued events: this path alone has an application object,
    // made here, after the options were read.
    static int argc = 1;
    static char name[] = "firmware-upgrade-utility";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    SystemUpgradeServices services;
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
    // The run's failures: the verdict's code and the cause in terminal words.
    const auto fail = [&](HeadlessVerdict verdict) {
        result.cause = PrintedCause(verdict);
        return finish(verdict.code, {});
    };

    // The window's rule: one copy per user, whichever way it was started.
    SingleInstance instance;
    if (!instance.Claim()) {
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
    settings.assumeYes = options.assumeYes;
    settings.inputIsTerminal = platform::IsTerminal(platform::StandardStream::Input);
    CliFrontEnd frontEnd(reporter, err, std::cin, settings, clock,
                         [&](std::string_view text) { Diagnose(&reporter, err, text); });
    QueuedRunMailbox mailbox;  // before the run: its worker and watch post to it until the run ends
    UpgradeRun run(services, frontEnd, info.utilityVersion, mailbox);
    run.SetAttemptLog(&log);

    // The router check: the address as given or proposed, the password read or the router's default.
    std::string typed = password.value_or("rodel");
    const RouterCheckResult check =
        run.Check(RouterAddress::FromFields(RouterAddress::Split(address).OctetTexts()), typed);
    platform::WipeSecret(typed);
    if (password) {
        platform::WipeSecret(*password);
    }
    if (!check.passed) {
        if (options.checkOnly) {
            result.action = ActionName(UpgradeAction::Unknown);
        }
        return fail({.code = ExitCode::RouterCheckFailed,
                     .errorStringId = IDS_ROUTER_NOT_FOUND,
                     .causeText = RouterCheckFailureText(check)});
    }
    const UpgradeAction action = ActionFor(run.RouterVersion(), info.utilityVersion);
    result.routerVersionBefore = KnownOrNull(run.RouterVersion());
    reporter.OnCheck(run.RouterVersion(), ActionName(action), clock());
    if (options.checkOnly) {
        result.action = ActionName(action);
        if (!options.json) {
            ShowCheckReport(out, address, info, run.RouterVersion(), action);
        }
        return finish(ExitCode::Success, "checked");
    }
    if (options.skipCurrent && action == UpgradeAction::Same) {
        result.summary = "the router already runs " + info.utilityVersion + "; nothing was sent";
        return finish(ExitCode::Success, "current");
    }
    // Nothing is asked and nothing is sent when the image to send is not there whole.
    if (!run.CarriedImageIntact()) {
        return fail({.code = ExitCode::ImageDamaged, .errorStringId = IDS_IMAGE_DAMAGED, .causeText = {}});
    }
    if (run.Start() == StartOutcome::Declined) {
        return fail({.code = ExitCode::DowngradeDeclined, .causeText = {}});
    }

    // Ctrl-C or SIGTERM stops a transfer as the window's stop question does after Yes; once the last byte
    // is out the router writes its flash, and a stop is refused with a line that says so.
    platform::InterruptCatcher interrupt;
    bool stopTaken = false;
    RunEventsWhile([&] { return run.Busy(); }, mailbox, run, interrupt,
                   [&] { stopTaken = run.Stop() || stopTaken; });
    const UploadVerdict uploaded = frontEnd.UploadEnd().value_or(UploadVerdict{});
    if (uploaded.result == 0) {
        if (stopTaken && uploaded.outcome == UploadOutcome::Stopped) {
            result.cause = UploadFailureWords(uploaded);
            return finish(StoppedBy(interrupt.LastTaken()), {});
        }
        return fail({.code = ExitCode::UpgradeFailed,
                     .lastPercent = uploaded.percent,
                     .uploadStarted = uploaded.outcome != UploadOutcome::NotConnected,
                     .causeText = UploadFailureWords(uploaded)});
    }

    // After the restart the run watches the router come back, as the success page does; Ctrl-C ends the
    // watch as Exit ends the window's: at once, with nothing more sent.
    bool watchStopped = false;
    RunEventsWhile([&] { return run.Watching(); }, mailbox, run, interrupt,
                   [&] {
                       watchStopped = true;
                       run.EndWatch();
                   });
    if (watchStopped) {
        result.cause = "the router's version was not confirmed: the watch was stopped";
        return finish(StoppedBy(interrupt.LastTaken()), {});
    }
    // A watch that could not be started has seen no router come back.
    const ConfirmationState end = run.WatchEnd().value_or(ConfirmationState::NotBack);
    const bool named = end == ConfirmationState::Confirmed || end == ConfirmationState::OtherVersion;
    const std::string line = ConfirmationText(end, named ? run.RouterVersion() : std::string());
    if (end == ConfirmationState::Confirmed) {
        result.routerVersionAfter = run.RouterVersion();
    }
    if (RunExitStatus(AfterWatch(end)) != 0) {
        result.cause = line;
        return finish(ExitCode::UpgradeFailed, {});
    }
    result.summary = line;
    return finish(ExitCode::Success, {});
}

}  // namespace fwu::cli
