// The Windows program. A console program, so that cmd.exe and PowerShell wait for it and its exit status
// is %ERRORLEVEL%. The command line is read first, as on Linux: --help, --version, --image-info, a wrong
// option and --cli end without the window, with the same texts, JSON lines and exit statuses. Without an
// option it shows the window.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/ExitCode.h"
#include "cli/RunWithoutWindow.h"
#include "platform/ConsoleStreams.h"
#include "platform/Secrets.h"
#include "win/WindowProgram.h"

int main(int argc, char** argv) {
    using namespace fwu::cli;
    fwu::platform::ForbidCoreDumps();
    fwu::platform::WriteStandardStreamsAsBytes();
    const std::vector<std::string> arguments = fwu::platform::ProgramArguments(argc, argv);
    // The program's own name (the first) is not an option.
    const std::vector<std::string_view> views(arguments.begin() + (arguments.empty() ? 0 : 1),
                                              arguments.end());
    const CommandLine command = ParseCommandLine(views);
    if (command.action == Action::RunWindow) {
        fwu::win::LeaveOwnConsole();
        return fwu::win::RunWindowProgram();
    }
    return RunWithoutWindow(command, std::cout, std::cerr);
}
