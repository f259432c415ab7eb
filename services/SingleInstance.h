// The one-copy-per-user rule, for both front ends: the first copy answers on a local socket named for the
// user, in a folder only this user can have made (RuntimeFolder.h); a later copy asks it to show itself
// and is told it may not run.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace fwu {

class AttemptLog;

// The local socket's full path for this user's running copy; empty when there is no private folder for
// it, and then no copy claims the name.
QString SingleInstanceServerName();

// Writes to the log why the single-instance socket is not in the user's runtime folder, when it is not.
void LogRuntimeFolderNote(AttemptLog* log);

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString serverName = SingleInstanceServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy and now answers later ones; false when another copy answered, which
    // has then been asked to show itself.
    bool Claim();

signals:
    // A later copy asked this one to come to the front.
    void ShowRequested();

private:
    bool AskRunningCopyToShow();
    void OnNewConnection();

    QString serverName;
    QLocalServer server;
};

}  // namespace fwu
