// The Windows program. A console program, so that cmd.exe and PowerShell wait for it and its exit status
// is %ERRORLEVEL%. The command line is read first, as on Linux; this build has no window yet, so without
// an option that ends by itself it says so and ends with the usage status.
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/ExitCode.h"

int main(int argc, char** argv) {
    using namespace fwu::cli;
    const CommandLine command = ParseCommandLine(argc, argv);
    switch (command.action) {
        case Action::ShowHelp:
            std::cout << UsageText() << std::flush;
            return ToInt(ExitCode::Success);
        case Action::UsageError:
            std::cerr << UsageErrorText(command.error);
            return ToInt(ExitCode::Usage);
        case Action::RunWindow:
            std::cerr << kProgramName << ": this Windows build has no window yet; use --cli (see --help)\n";
            return ToInt(ExitCode::Usage);
        case Action::ShowVersion:
        case Action::ImageInfo:
        case Action::RunCli:
            break;
    }
    std::cerr << kProgramName << ": this Windows build cannot do that yet\n";
    return ToInt(ExitCode::Usage);
}
