// CUpgradeApp: the application object. Only one copy runs per user: the first copy answers on a local
// socket named for the user; a later copy asks it to show its window and ends without showing anything.
// The copy that runs shows the upgrade window modally and ends when the window ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>

#include "app/DialogServices.h"

namespace fwu {

class AttemptLog;
class UpgradeServices;

// The local socket's full path for this user's running copy, in a folder only this user can have made
// (see RuntimeFolder.h); empty when there is none, and then no copy claims the name.
QString SingleInstanceServerName();

// Writes to the log why the single-instance socket is not in the user's runtime folder, when it is not.
void LogRuntimeFolderNote(AttemptLog* log);

class CUpgradeApp : public QObject {
    Q_OBJECT

public:
    explicit CUpgradeApp(QString serverName = SingleInstanceServerName(), QObject* parent = nullptr);
    ~CUpgradeApp() override;

    // True when this is the only copy and now answers later ones; false when another copy answered, which
    // has then been asked to show itself.
    bool ClaimSingleInstance();

    // The program's start: the single-instance check, then the window runs until it ends. Answers the
    // process's exit status (RunExitStatus of the last upgrade), 0 also when another copy runs.
    int InitInstance(UpgradeServices& services, DialogServices hooks = SystemDialogServices());

signals:
    // A later copy asked this one to come to the front.
    void ShowRequested();

private:
    bool AskRunningCopyToShow();
    void OnNewConnection();
    void ShowMainWindow();

    QString serverName;
    QLocalServer server;
    QPointer<QWidget> mainWindow;
};

}  // namespace fwu
