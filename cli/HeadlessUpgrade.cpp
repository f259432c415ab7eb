#include "cli/HeadlessUpgrade.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <ostream>

#include "cli/HeadlessRun.h"
#include "platform/Interrupt.h"
#include "platform/Terminal.h"
#include "services/SingleInstance.h"
#include "services/SystemServices.h"

namespace fwu::cli {

int RunHeadlessUpgrade(const CliOptions& options, std::ostream& out, std::ostream& err) {
    // A reader that goes away (`| head`) must not end an upgrade: its writes fail and are dropped, and the
    // run goes on to its verdict in the log and its own exit status.
    platform::IgnoreBrokenPipe();
    // From the first moment a signal is a request the run answers with its result line.
    platform::InterruptCatcher interrupt;

    // The worker's and the watch's messages are queued events: this path alone has an application object,
    // made here, after the options were read.
    static int argc = 1;
    static char name[] = "firmware-upgrade-utility";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QTimer wake;  // the loop looks at the signals at least every 100 ms
    wake.start(100);

    SystemUpgradeServices services;
    SingleInstance instance;
    HeadlessParts parts{
        .services = services,
        .answers = std::cin,
        .out = out,
        .err = err,
        .inputIsTerminal = platform::IsTerminal(platform::StandardStream::Input),
        .outputIsTerminal = platform::IsTerminal(platform::StandardStream::Output),
        .now =
            [] {
                return std::chrono::duration_cast<CliReporter::Milliseconds>(
                    std::chrono::steady_clock::now().time_since_epoch());
            },
        .claimOneCopy = [&instance] { return instance.Claim(); },
        .noteSetUp = [](AttemptLog& log) { LogRuntimeFolderNote(&log); },
        .readPassword = [] { return ReadPasswordFromStandardInput(); },
        .inputReady = [](int ms) { return platform::WaitForStandardInput(ms); },
        .takeStop =
            [&interrupt] {
                return interrupt.TakeRequest() ? interrupt.LastTaken() : platform::StopSignal::None;
            },
        .deliverMessages =
            [] { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); },
    };
    HeadlessRun run(options, parts);
    const int status = run.Run();
    if (run.CheckLeftRunning()) {
        // The check's thread still uses the services: the process ends here, its lines out, before any of
        // them is taken down. Nothing was sent to the router but the check's own requests.
        out << std::flush;
        err << std::flush;
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

}  // namespace fwu::cli
