#include "cli/HeadlessRun.h"

#include <ostream>

#include "cli/TerminalWords.h"
#include "platform/Secrets.h"
#include "res/AppVersion.h"
#include "res/StringTable.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/FailureText.h"
#include "upgrade/RunExitStatus.h"

namespace fwu::cli {
namespace {

std::optional<std::string> KnownOrNull(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

std::string_view SignalName(platform::StopSignal signal) {
    switch (signal) {
        case platform::StopSignal::Interrupt:
            return "SIGINT";
        case platform::StopSignal::Terminate:
            return "SIGTERM";
        case platform::StopSignal::Hangup:
            return "SIGHUP";
        case platform::StopSignal::None:
            break;
    }
    return "a signal";
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

}  // namespace

ExitCode StoppedBy(platform::StopSignal signal) {
    return signal == platform::StopSignal::Interrupt ? ExitCode::StoppedByInterrupt
                                                     : ExitCode::StoppedByTerminate;
}

HeadlessRun::HeadlessRun(const CliOptions& options, HeadlessParts& parts)
    : options(options),
      parts(parts),
      begun(parts.now()),
      info(parts.services.LoadFirmwareInfo()),
      reporter(parts.out, ChooseReportStyle(options.json, parts.outputIsTerminal)),
      frontEnd(
          reporter, parts.err, parts.answers,
          CliFrontEnd::Settings{.assumeYes = options.assumeYes,
                                .inputIsTerminal = parts.inputIsTerminal,
                                .answerReady = [this] { return this->parts.inputReady(100); },
                                .stopRequested = [this] { return StopRequested(); }},
          [this] { return Elapsed(); }, [this](std::string_view text) { Diagnose(text); }),
      run(parts.services, frontEnd, info.utilityVersion, mailbox) {
    result.carriedVersion = info.utilityVersion;
    result.address = options.address.value_or("");
    if (options.checkOnly) {
        reporter.ReportOnlyStartAndResult();  // the check's report is the whole output
    }
}

HeadlessRun::~HeadlessRun() {
    frontEnd.JoinCheck();
    if (password) {
        platform::WipeSecret(*password);
    }
}

int HeadlessRun::Run() {
    if (const std::optional<int> end = ReadPassword()) {
        return *end;
    }
    if (const std::optional<int> end = Begin()) {
        return *end;
    }
    if (const std::optional<int> end = CheckRouter()) {
        return *end;
    }
    if (const std::optional<int> end = Upload()) {
        return *end;
    }
    return Watch();
}

// The password is read before anything else happens, so a refused line ends the run with nothing sent.
std::optional<int> HeadlessRun::ReadPassword() {
    if (!options.passwordFromStdin) {
        return std::nullopt;
    }
    // A pipe left open with nothing in it, or a terminal's prompt that nobody answers, is waited on with
    // an eye on the signals: a stop there ends the run with its result line (the terminal's settings put
    // back first).
    PasswordLine line = parts.readPassword([this] {
        while (!parts.inputReady(100)) {
            if (StopRequested()) {
                return false;
            }
        }
        return true;
    });
    if (line.stopped) {
        return Stopped(kStoppedBeforeCheck);
    }
    begun = parts.now();  // the run's times start once the password is in
    if (!line.ok) {
        result.cause = line.error;
        return Finish(ExitCode::Usage);
    }
    password = std::move(line.password);
    return std::nullopt;
}

// The window's rule, one copy per user whichever way it was started; then the log and the address.
std::optional<int> HeadlessRun::Begin() {
    if (!parts.claimOneCopy()) {
        log = parts.services.Log();
        result.cause = "only one copy runs per user; wait until the other one has ended";
        return Finish(ExitCode::AlreadyRunning);
    }
    log = parts.services.Log();
    if (log != nullptr) {
        std::ostream& err = parts.err;
        log->OnUnwritable([&err](const std::string& line) {
            err << kProgramName << ": warning: " << line << "; the upgrade goes on\n" << std::flush;
        });
        if (options.logPath) {
            log->AddSink(*options.logPath);  // a copy of this attempt's lines, beside the user's own log
        }
        if (parts.noteSetUp) {
            parts.noteSetUp(*log);
        }
        run.SetAttemptLog(log);
    }
    if (options.address) {
        if (log != nullptr) {
            log->Write("start", "a new run from the command line, address " + *options.address);
        }
    } else {
        result.address =
            parts.services.FindDefaultGateway([this](const std::string& text) { Diagnose(text); });
    }
    WriteStart();
    if (StopRequested()) {
        return Stopped(kStoppedBeforeCheck);  // a signal while the gateways were asked
    }
    return std::nullopt;
}

// The router check: the address as given or proposed, the password read or the router's default.
std::optional<int> HeadlessRun::CheckRouter() {
    std::string typed = password.value_or("rodel");
    const RouterCheckResult check =
        run.Check(RouterAddress::FromFields(RouterAddress::Split(result.address).OctetTexts()), typed);
    platform::WipeSecret(typed);
    if (password) {
        platform::WipeSecret(*password);
    }
    if (stopPending || StopRequested()) {
        return Stopped(kStoppedDuringCheck);
    }
    if (!check.passed) {
        if (options.checkOnly) {
            result.action = ActionName(UpgradeAction::Unknown);
        }
        return Fail({.code = ExitCode::RouterCheckFailed,
                     .errorStringId = IDS_ROUTER_NOT_FOUND,
                     .causeText = RouterCheckFailureText(check)});
    }
    const UpgradeAction action = ActionFor(run.RouterVersion(), info.utilityVersion);
    result.routerVersionBefore = KnownOrNull(run.RouterVersion());
    reporter.OnCheck(run.RouterVersion(), ActionName(action), Elapsed());
    if (options.checkOnly) {
        result.action = ActionName(action);
        if (!options.json) {
            ShowCheckReport(parts.out, result.address, info, run.RouterVersion(), action);
        }
        return Finish(ExitCode::Success, "checked");
    }
    if (options.skipCurrent && action == UpgradeAction::Same) {
        result.summary = "the router already runs " + info.utilityVersion + "; nothing was sent";
        return Finish(ExitCode::Success, "current");
    }
    return std::nullopt;
}

// The transfer and the flash wait. A signal stops a transfer as the window's stop question does after
// Yes; once the last byte is out the router writes its flash, and a stop is refused with a line that says
// so.
std::optional<int> HeadlessRun::Upload() {
    // Nothing is asked and nothing is sent when the image to send is not there whole.
    if (!run.CarriedImageIntact()) {
        return Fail({.code = ExitCode::ImageDamaged, .errorStringId = IDS_IMAGE_DAMAGED, .causeText = {}});
    }
    if (stopPending || StopRequested()) {
        return Stopped(kStoppedDuringCheck);
    }
    const StartOutcome start = run.Start();
    if (stopPending) {
        return Stopped(kStoppedAtQuestion);  // the question was left unanswered: nothing was sent
    }
    if (start == StartOutcome::Declined) {
        return Fail({.code = ExitCode::DowngradeDeclined, .causeText = {}});
    }
    bool stopTaken = false;
    while (run.Busy()) {
        Look();
        if (StopRequested() && run.Busy()) {
            stopTaken = run.Stop() || stopTaken;
            stopPending = false;  // taken, or refused with its line
        }                         // a signal just after the upload's end stays pending: it ends the watch
    }
    const UploadVerdict uploaded = frontEnd.UploadEnd().value_or(UploadVerdict{});
    if (uploaded.result != 0) {
        return std::nullopt;
    }
    if (stopTaken && uploaded.outcome == UploadOutcome::Stopped) {
        return Stopped(UploadFailureWords(uploaded));
    }
    return Fail({.code = ExitCode::UpgradeFailed,
                 .lastPercent = uploaded.percent,
                 .uploadStarted = uploaded.outcome != UploadOutcome::NotConnected,
                 .causeText = UploadFailureWords(uploaded)});
}

// After the restart the run watches the router come back, as the success page does; a signal ends the
// watch as Exit ends the window's: at once, with nothing more sent.
int HeadlessRun::Watch() {
    while (run.Watching()) {
        Look();
        if (StopRequested()) {
            run.EndWatch();
            return Stopped(kStoppedDuringWatch);
        }
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
        return Finish(ExitCode::UpgradeFailed);
    }
    result.summary = line;
    return Finish(ExitCode::Success);
}

int HeadlessRun::Finish(ExitCode code, std::string_view verdict) {
    if (!startWritten) {
        WriteStart();
    }
    result.code = code;
    result.verdict = verdict.empty() ? VerdictName(code) : verdict;
    result.label = result.verdict == "current"   ? "current"
                   : result.verdict == "checked" ? "checked"
                                                 : VerdictLabel(code);
    result.imageSent = frontEnd.ImageSent();
    if (!result.cause.empty()) {
        Diagnose(result.cause);
    }
    if (log != nullptr) {
        log->Write("exit", std::string(result.verdict) + ", status " + std::to_string(ToInt(code)));
    }
    reporter.OnResult(result, Elapsed());
    return ToInt(code);
}

// The run's failures: the verdict's code and the cause in terminal words.
int HeadlessRun::Fail(const HeadlessVerdict& verdict) {
    result.cause = PrintedCause(verdict);
    return Finish(verdict.code);
}

int HeadlessRun::Stopped(std::string_view cause) {
    if (log != nullptr) {
        log->Write("stop", std::string(SignalName(lastSignal)) + " taken");
    }
    result.cause = std::string(cause);
    return Finish(StoppedBy(lastSignal));
}

bool HeadlessRun::StopRequested() {
    const platform::StopSignal signal = parts.takeStop();
    if (signal != platform::StopSignal::None) {
        lastSignal = signal;
        stopPending = true;
    }
    return stopPending;
}

void HeadlessRun::WriteStart() {
    startWritten = true;
    reporter.OnStart(RunStart{std::string(AppVersion()), info.model, info.utilityVersion, result.address},
                     Elapsed());
}

void HeadlessRun::Look() {
    mailbox.DeliverFor(run.Receiver(), std::chrono::milliseconds(100));
    if (parts.afterLook) {
        parts.afterLook();
    }
}

// One diagnostic line on standard error, after the progress line being redrawn is ended.
void HeadlessRun::Diagnose(std::string_view text) {
    reporter.EndLine();
    parts.err << kProgramName << ": " << ShownText(text) << "\n" << std::flush;
}

}  // namespace fwu::cli
