// The Windows program. A console program, so that cmd.exe and PowerShell wait for it and its exit status
// is %ERRORLEVEL%. The command line is read first, as on Linux: --help, --version, --image-info, a wrong
// option and --cli end without the window, with the same texts, JSON lines and exit statuses. This build
// has no window yet, so without one of those options it says so and ends with the usage status.
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/ExitCode.h"
#include "cli/RunWithoutWindow.h"
#include "platform/ConsoleStreams.h"
#include "platform/Secrets.h"

int main(int argc, char** argv) {
    using namespace fwu::cli;
    fwu::platform::ForbidCoreDumps();
    fwu::platform::WriteStandardStreamsAsBytes();
    const CommandLine command = ParseCommandLine(argc, argv);
    if (command.action == Action::RunWindow) {
        std::cerr << kProgramName << ": this Windows build has no window yet; use --cli (see --help)\n";
        return ToInt(ExitCode::Usage);
    }
    return RunWithoutWindow(command, std::cout, std::cerr);
}
