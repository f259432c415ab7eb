// CUpgradeApp: the application object. Only one copy runs per user (SingleInstance); a later copy asks the
// running one to show its window and ends without showing anything. The copy that runs shows the upgrade
// window modally and ends when the window ends.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "app/DialogServices.h"
#include "services/SingleInstance.h"

class QWidget;

namespace fwu {

class UpgradeServices;

class CUpgradeApp : public QObject {
    Q_OBJECT

public:
    explicit CUpgradeApp(QString serverName = SingleInstanceServerName(), QObject* parent = nullptr);

    // Settings of the window system that must be made before the QApplication exists.
    static void PrepareWindowSystem();
    ~CUpgradeApp() override;

    // True when this is the only copy; false when another copy answered (and was asked to show itself).
    bool ClaimSingleInstance() { return instance.Claim(); }

    // The program's start: the single-instance check, then the window runs until it ends. Answers the
    // process's exit status (RunExitStatus of the last upgrade), 0 also when another copy runs.
    int InitInstance(UpgradeServices& services, DialogServices hooks = SystemDialogServices());

signals:
    // A later copy asked this one to come to the front.
    void ShowRequested();

private:
    void ShowMainWindow();

    SingleInstance instance;
    QPointer<QWidget> mainWindow;
};

}  // namespace fwu
