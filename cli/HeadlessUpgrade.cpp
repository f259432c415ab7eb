#include "cli/HeadlessUpgrade.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
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
#include "platform/Interrupt.h"
#include "platform/Terminal.h"
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

private:
    UpgradeStepServices& services;
    CliFrontEnd& frontEnd;
};

// A message box text of the gateway discovery, on one line of standard error.
void ShowMessageOnError(std::ostream& err, const std::string& text) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');  // a message box's line breaks
    err << kProgramName << ": " << PrintableText(line) << "\n" << std::flush;
}

ExitCode StatusAfterWatch(std::optional<ConfirmationState> end) {
    return RunExitStatus(AfterWatch(end)) == 0 ? ExitCode::Success : ExitCode::UpgradeFailed;
}

// After the restart, watches the router come back as the success page does: one probe a second, then the
// status query with the same credential, for at most five minutes. Answers the run's exit status and
// sets `line` to what was seen; a router that names another version, or none, did not take the upgrade
// as far as anyone can tell, and a script is told so. The status is the window's rule (RunExitStatus).
ExitCode ConfirmNewVersion(UpgradeServices& services, const UpgradeSequence& sequence, CliFrontEnd& frontEnd,
                           std::string& line) {
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
        return StatusAfterWatch(std::nullopt);  // stopped: nothing disproved the upgrade
    }
    line = ConfirmationText(*outcome, version);
    return StatusAfterWatch(*outcome);
}

}  // namespace

int RunHeadlessUpgrade(const CliOptions& options, std::ostream& out, std::ostream& err) {
    // The password is read before anything else happens, so a refused line ends the run with nothing sent.
    std::optional<std::string> password;
    if (options.passwordFromStdin) {
        PasswordLine line = ReadPasswordFromStandardInput();
        if (!line.ok) {
            err << kProgramName << ": " << line.error << "\n";
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

    // The worker's messages are queued events: this path alone has an application object, made here,
    // after the options were read.
    static int argc = 1;
    static char name[] = "firmware-upgrade-utility";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    // The window's rule: one copy per user, whichever way it was started.
    CUpgradeApp instance;
    if (!instance.ClaimSingleInstance()) {
        reporter.OnVerdict(ExitCode::AlreadyRunning,
                           "only one copy runs per user; wait until the other one has ended");
        return ToInt(ExitCode::AlreadyRunning);
    }

    SystemUpgradeServices services;
    AttemptLog& log = *services.Log();
    if (options.logPath) {
        log.AddSink(*options.logPath);  // a copy of this attempt's lines, beside the user's own log
    }
    std::string address;
    if (options.address) {
        log.Write("start", "a new run from the command line, address " + *options.address);
        address = *options.address;
    } else {
        address =
            services.FindDefaultGateway([&err](const std::string& text) { ShowMessageOnError(err, text); });
    }
    const FirmwareInfo info = services.LoadFirmwareInfo();

    CliFrontEnd::Settings settings;
    settings.password = std::move(password);
    settings.assumeYes = options.assumeYes;
    settings.inputIsTerminal = platform::IsTerminal(platform::StandardStream::Input);
    settings.imageBytes = static_cast<std::uint64_t>(InspectOwnImage().size);
    CliFrontEnd frontEnd(reporter, err, std::cin, std::move(settings), clock);
    ReportingSteps steps(services, frontEnd);
    CliUploadWindow window(frontEnd);
    UpgradeSequence sequence(steps, frontEnd, window, address, info.utilityVersion);
    sequence.SetAttemptLog(&log);
    frontEnd.Attach(sequence);
    window.Attach(sequence);

    // Next on the welcome page, Next on the login page (the router check), Upgrade on the verify page (the
    // image check, the downgrade question and the upload's start), each only while the run goes on.
    for (int press = 0; press < 3 && !frontEnd.Verdict(); ++press) {
        sequence.Forward();
    }
    // The worker posts its result exactly once; until then its messages are handed to the sequence.
    // Ctrl-C stops a transfer as the window's stop question does after Yes; once the last byte is out the
    // router writes its flash, and a stop is refused with the line the window shows.
    platform::InterruptCatcher interrupt;
    QTimer wake;  // the loop looks at Ctrl-C at least this often
    wake.start(100);
    while (!frontEnd.Verdict() && sequence.Busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (interrupt.TakeRequest() && !sequence.ConfirmStop()) {
            reporter.EndLine();
            err << kProgramName << ": " << LoadString(IDS_STOP_REFUSED) << "\n" << std::flush;
        }
    }
    services.JoinUpload();

    HeadlessVerdict verdict;
    if (const std::optional<HeadlessVerdict> ended = frontEnd.Verdict()) {
        verdict = *ended;
    }
    std::string cause = PrintedCause(verdict);
    if (verdict.code == ExitCode::Success) {
        verdict.code = ConfirmNewVersion(services, sequence, frontEnd, cause);
    }
    reporter.OnVerdict(verdict.code, cause);
    return ToInt(verdict.code);
}

}  // namespace fwu::cli
