#include "cli/HeadlessUpgrade.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <ostream>

#include "cli/HeadlessRun.h"
#include "platform/Interrupt.h"
#include "platform/Terminal.h"
#include "services/OneCopyClaim.h"
#include "services/SystemServices.h"

namespace fwu::cli {

int RunHeadlessUpgrade(const CliOptions& options, std::ostream& out, std::ostream& err) {
    // A reader that goes away (`| head`) must not end an upgrade: its writes fail and are dropped, and the
    // run goes on to its verdict in the log and its own exit status.
    platform::IgnoreBrokenPipe();
    // From the first moment a signal is a request the run answers with its result line.
    platform::InterruptCatcher interrupt;

    SystemUpgradeServices services;
    OneCopyClaim oneCopy;
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
        .claimOneCopy = [&oneCopy] { return oneCopy.Claim(); },
        .noteSetUp = [](AttemptLog& log) { OneCopyClaim::NoteWhere(log); },
        .readPassword =
            [](const std::function<bool()>& lineArrives) {
                return ReadPasswordFromStandardInput(lineArrives);
            },
        .inputReady = [](int ms) { return platform::WaitForStandardInput(ms); },
        .takeStop =
            [&interrupt] {
                return interrupt.TakeRequest() ? interrupt.LastTaken() : platform::StopSignal::None;
            },
        .afterLook = [&oneCopy] { oneCopy.Serve(); },
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
