#include "cli/RunWithoutWindow.h"

#include <ostream>

#include "cli/CarriedImage.h"
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
            err << UsageErrorText(command.error);
            return ToInt(ExitCode::Usage);
        case Action::RunWindow:
            break;
    }
    err << kProgramName << ": the window is not started from here\n";
    return ToInt(ExitCode::Usage);
}

}  // namespace fwu::cli
