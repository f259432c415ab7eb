// The firmware upgrade utility. The command line is read first: --help, --version, --image-info, a wrong
// option and --cli end without the window. Otherwise one copy per user shows the upgrade wizard until the
// user ends it. Before anything else the process is made non-dumpable, so no core file ever holds the
// password typed later.
#include <QApplication>
#include <QIcon>
#include <iostream>

#ifdef FWU_PROBE_HELPER_TEST_HOOK
#include <cstdlib>

#include "router/Probe.h"
#endif

#include "app/UpgradeApp.h"
#include "cli/CommandLine.h"
#include "cli/RunWithoutWindow.h"
#include "platform/Secrets.h"
#include "services/SystemServices.h"

int main(int argc, char** argv) {
    fwu::platform::ForbidCoreDumps();
#ifdef FWU_PROBE_HELPER_TEST_HOOK
    // Lab builds only: the probe helper copy a test prepared (the installed program has no such hook).
    if (const char* helper = std::getenv("FWU_TEST_PROBE_HELPER")) {
        fwu::SetProbeHelperPath(helper);
    }
#endif
    const fwu::cli::CommandLine command = fwu::cli::ParseCommandLine(argc, argv);
    if (command.action != fwu::cli::Action::RunWindow) {
        return fwu::cli::RunWithoutWindow(command, std::cout, std::cerr);
    }
    fwu::CUpgradeApp::PrepareWindowSystem();
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ICON/150.png")));
    fwu::SystemUpgradeServices services;  // outlives the window, so a running upload is joined after it
    // A log that cannot be written is told on standard error only: the window goes on without it.
    services.Log()->OnUnwritable([](const std::string& line) {
        std::cerr << "firmware-upgrade-utility: warning: " << line << "\n" << std::flush;
    });
    fwu::CUpgradeApp app;
    return app.InitInstance(services);
}
