#include "app/UpgradeApp.h"

#include "app/UpgradeDlg.h"
#include "upgrade/RunExitStatus.h"

namespace fwu {

CUpgradeApp::CUpgradeApp(QString serverName, QObject* parent)
    : QObject(parent), instance(std::move(serverName)) {
    connect(&instance, &SingleInstance::ShowRequested, this, &CUpgradeApp::ShowRequested);
    connect(this, &CUpgradeApp::ShowRequested, this, &CUpgradeApp::ShowMainWindow);
}

CUpgradeApp::~CUpgradeApp() = default;

void CUpgradeApp::ShowMainWindow() {
    if (mainWindow) {
        // Shown, not restored: a minimised window stays minimised but comes to the front.
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
}

void CUpgradeApp::PrepareWindowSystem() {
    // During a transfer the window repaints a strip and a figure for each percent. On X11, a repaint
    // through a shared-memory image costs a round trip: the server reports its completion, which wakes Qt's
    // event thread and then the window thread. Sending the few hundred bytes of such a repaint over the
    // connection costs less of the CPU share the window must keep small while it uploads. A setting the
    // user made is kept.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

int CUpgradeApp::InitInstance(UpgradeServices& services, DialogServices hooks) {
    if (!ClaimSingleInstance()) {
        return 0;
    }
    LogRuntimeFolderNote(services.Log());
    CUpgradeDlg dialog(services, std::move(hooks));
    mainWindow = &dialog;
    dialog.exec();
    // The loop may have been ended from outside (a quit request) while an upload runs.
    dialog.WaitForUploadEnd();
    mainWindow = nullptr;
    return RunExitStatus(dialog.Run().LastUpgradeEnd());
}

}  // namespace fwu
