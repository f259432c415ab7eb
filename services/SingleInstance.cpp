#include "services/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>

#include "services/RuntimeFolder.h"
#include "upgrade/AttemptLog.h"

namespace fwu {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kIdleClientMs = 2000;
constexpr qint64 kMaxRequestBytes = 16;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");

}  // namespace

QString SingleInstanceServerName() {
    // Always a full path in a folder private to the user: a bare name would put the socket in a shared
    // temporary folder, where another user could take it first.
    const RuntimeFolderChoice choice = FindRuntimeFolder();
    if (choice.folder.empty()) {
        return {};
    }
    return QDir(QFile::decodeName(choice.folder.c_str()))
        .filePath(QStringLiteral("firmware-upgrade-utility.sock"));
}

void LogRuntimeFolderNote(AttemptLog* log) {
    const RuntimeFolderChoice choice = FindRuntimeFolder();
    if (log != nullptr && !choice.note.empty()) {
        log->Write("instance", choice.note);
    }
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName(std::move(serverName)) {
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AskRunningCopyToShow() {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Claim() {
    if (serverName.isEmpty()) {
        return true;  // no private folder for the socket: the rule cannot be kept, and the copy runs
    }
    if (AskRunningCopyToShow()) {
        return false;
    }
    if (server.listen(serverName)) {
        return true;
    }
    if (server.serverError() == QAbstractSocket::AddressInUseError) {
        // Either a copy has just started listening, or a copy that crashed left its socket behind.
        if (AskRunningCopyToShow()) {
            return false;
        }
        QLocalServer::removeServer(serverName);
        if (server.listen(serverName)) {
            return true;
        }
    }
    // Without the socket the rule cannot be kept; running anyway beats refusing to run at all.
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* client = server.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine()) {
                if (client->bytesAvailable() >= kMaxRequestBytes) {
                    client->abort();  // no request of ours is that long
                    client->deleteLater();
                }
                return;
            }
            if (client->readLine(kMaxRequestBytes) == kShowRequest) {
                emit ShowRequested();
            }
            client->abort();
            client->deleteLater();
        });
        // A client that connects and says nothing is not kept.
        QTimer::singleShot(kIdleClientMs, client, [client] {
            client->abort();
            client->deleteLater();
        });
    }
}

}  // namespace fwu
