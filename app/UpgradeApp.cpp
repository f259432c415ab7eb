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
