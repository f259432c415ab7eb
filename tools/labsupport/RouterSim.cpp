#include "tools/labsupport/RouterSim.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>
#include <atomic>

#include "tools/labsupport/LabEnvironment.h"

namespace fwu::lab {
namespace {

constexpr int kStartMs = 5000;
constexpr int kStopMs = 5000;

QString ScratchDir(const LabEnvironment& env) {
    if (!env.scratchDir.isEmpty()) {
        return env.scratchDir;
    }
    if (!env.simLog.isEmpty()) {
        return QFileInfo(env.simLog).absolutePath();
    }
    return QDir::tempPath();
}

}  // namespace

RouterSim::RouterSim(const QStringList& arguments) {
    static std::atomic<int> instances{0};
    const LabEnvironment env = ReadLabEnvironment();
    if (env.routerNetns.isEmpty() || env.routerSim.isEmpty()) {
        error = "FWU_LAB_ROUTER_NETNS or FWU_ROUTER_SIM is not set: not running inside scripts/lab";
        return;
    }
    const QString stem = QString("%1/router-sim-%2-%3")
                             .arg(ScratchDir(env))
                             .arg(QCoreApplication::applicationPid())
                             .arg(++instances);
    logPath = stem + ".jsonl";
    saveDir = stem + "-saved";

    process.setProgram("ip");
    process.setArguments(QStringList{"netns", "exec", env.routerNetns, env.routerSim, "--log", logPath,
                                     "--save-dir", saveDir} +
                         arguments);
    process.start();
    if (!process.waitForStarted(kStartMs)) {
        error = "cannot start ip netns exec: " + process.errorString();
        return;
    }
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (!out.contains("router-sim ready") && timer.elapsed() < kStartMs) {
        if (process.state() == QProcess::NotRunning) {
            break;
        }
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    if (!out.contains("router-sim ready")) {
        process.waitForFinished(200);
        error = "router-sim did not get ready: " +
                QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        Stop();
        return;
    }
    started = true;
}

RouterSim::~RouterSim() {
    Stop();
}

bool RouterSim::Stop() {
    if (process.state() == QProcess::NotRunning) {
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    process.terminate();
    if (!process.waitForFinished(kStopMs)) {
        process.kill();
        process.waitForFinished(kStopMs);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString RouterSim::Address() const {
    const QString address = ReadLabEnvironment().routerAddress;
    return address.isEmpty() ? QString("192.168.1.1") : address;
}

QList<QJsonObject> RouterSim::Events() const {
    QList<QJsonObject> events;
    QFile file(logPath);
    if (logPath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return events;
    }
    const QByteArray all = file.readAll();
    const qsizetype complete = all.lastIndexOf('\n') + 1;  // a line without its end is still being written
    for (const QByteArray& line : all.left(complete).split('\n')) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject()) {
            events.append(doc.object());
        }
    }
    return events;
}

QList<QJsonObject> RouterSim::Events(const QString& name) const {
    QList<QJsonObject> found;
    for (const QJsonObject& event : Events()) {
        if (event.value("event").toString() == name) {
            found.append(event);
        }
    }
    return found;
}

std::optional<QJsonObject> RouterSim::WaitForEvent(const QString& name, int timeoutMs, int skip) const {
    QElapsedTimer timer;
    timer.start();
    while (true) {
        const QList<QJsonObject> found = Events(name);
        if (found.size() > skip) {
            return found.at(skip);
        }
        if (timer.elapsed() >= timeoutMs) {
            return std::nullopt;
        }
        QThread::msleep(20);
    }
}

QByteArray LoggedBytes(const QJsonValue& value) {
    return value.toString().toLatin1();
}

QString TakenImageDifference(const QJsonObject& upload, const QByteArray& image) {
    if (upload.value("image_size").toInteger() != image.size()) {
        return QStringLiteral("router-sim took an image of another size");
    }
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());
    if (upload.value("image_sha256").toString() != digest) {
        return QStringLiteral("router-sim took an image with another SHA-256");
    }
    QFile saved(upload.value("saved").toString());
    if (!saved.open(QIODevice::ReadOnly)) {
        return QStringLiteral("router-sim saved no image");
    }
    return saved.readAll() == image ? QString() : QStringLiteral("the image router-sim saved differs");
}

}  // namespace fwu::lab
