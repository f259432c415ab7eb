#include "cli/RunWithoutWindow.h"

#include <ostream>

#include "cli/CarriedImage.h"
#include "cli/CliReporter.h"
#include "cli/HeadlessUpgrade.h"
#include "res/AppVersion.h"

namespace fwu::cli {
namespace {

int ShowImageInfo(std::ostream& out, std::ostream& err) {
    const CarriedImage image = InspectOwnImage();
    const ImageInfoReport report = FormatImageInfo(image);
    out << report.text << std::flush;
    if (report.exitCode != ExitCode::Success) {
        err << kProgramName << ": the carried image is damaged: " << DamageReason(image.status) << "\n";
    }
    return ToInt(report.exitCode);
}

// A refused command line that asked for --cli --json also gets its start and result lines, so a script
// that reads them finds both in every ending. Only the program's own file is read for them.
void WriteUsageErrorLines(const CommandLine& command, std::ostream& out) {
    const CarriedImage image = InspectOwnImage();
    CliReporter reporter(out, ReportStyle::Json);
    const std::string address = command.cli.address.value_or("");
    reporter.OnStart(
        RunStart{std::string(AppVersion()), image.info.model, image.info.utilityVersion, address},
        CliReporter::Milliseconds(0));
    RunResult result;
    result.code = ExitCode::Usage;
    result.verdict = VerdictName(ExitCode::Usage);
    result.label = VerdictLabel(ExitCode::Usage);
    result.cause = command.error;
    result.address = address;
    result.carriedVersion = image.info.utilityVersion;
    reporter.OnResult(result, CliReporter::Milliseconds(0));
}

}  // namespace

int RunWithoutWindow(const CommandLine& command, std::ostream& out, std::ostream& err) {
    switch (command.action) {
        case Action::ShowHelp:
            out << UsageText() << std::flush;
            return ToInt(ExitCode::Success);
        case Action::ShowVersion:
            out << FormatVersion(AppVersion(), InspectOwnImage()) << std::flush;
            return ToInt(ExitCode::Success);
        case Action::ImageInfo:
            return ShowImageInfo(out, err);
        case Action::RunCli:
            return RunHeadlessUpgrade(command.cli, out, err);
        case Action::UsageError:
            err << UsageErrorText(command.error) << std::flush;
            if (command.cli.json) {
                WriteUsageErrorLines(command, out);
            }
            return ToInt(ExitCode::Usage);
        case Action::RunWindow:
            break;
    }
    err << kProgramName << ": the window is not started from here\n";
    return ToInt(ExitCode::Usage);
}

}  // namespace fwu::cli
