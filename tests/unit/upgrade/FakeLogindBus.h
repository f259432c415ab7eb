// A bus of the test's own (a dbus-daemon on a socket in a temporary folder) with the stand-in login
// manager (FakeLogind.cpp) on it, and what the stand-in reports. Needs FWU_FAKE_LOGIND, the stand-in's path.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace fwu::testing {

// One private bus with the stand-in login manager on it.
class FakeLogind {
public:
    // `mode`: as the stand-in's second argument (refuse-lid, silent), or empty.
    explicit FakeLogind(const QString& mode = {}) {
        QFile config(dir.filePath("bus.conf"));
        if (!config.open(QIODevice::WriteOnly)) {
            return;
        }
        config.write(("<busconfig><type>custom</type><listen>unix:path=" + dir.filePath("bus") +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                      "<allow own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                      "</policy></busconfig>")
                         .toUtf8());
        config.close();
        daemon.start("dbus-daemon", {"--config-file=" + config.fileName(), "--print-address", "--nofork",
                                     "--nopidfile", "--nosyslog"});
        if (!daemon.waitForReadyRead(5000)) {
            return;
        }
        address = daemon.readLine().trimmed().toStdString();
        QStringList arguments{QString::fromStdString(address)};
        if (!mode.isEmpty()) {
            arguments << mode;
        }
        logind.start(FWU_FAKE_LOGIND, arguments);
        ready = NextLine() == "ready";
    }
    ~FakeLogind() {
        for (QProcess* p : {&logind, &daemon}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // The stand-in's next line, or "" when none came within two seconds.
    std::string NextLine() {
        while (!logind.canReadLine()) {
            if (!logind.waitForReadyRead(2000)) {
                return "";
            }
        }
        return logind.readLine().trimmed().toStdString();
    }
    // NextLine while this thread's events are handled: the lock's answer reaches the run as an event.
    std::string NextLineHandlingEvents() {
        for (int waited = 0; !logind.canReadLine() && waited < 2000; waited += 20) {
            QCoreApplication::processEvents();
            logind.waitForReadyRead(20);
        }
        return logind.canReadLine() ? logind.readLine().trimmed().toStdString() : std::string();
    }
    // True when the stand-in says nothing more for a moment.
    bool Quiet() { return !logind.canReadLine() && !logind.waitForReadyRead(300); }

    QTemporaryDir dir;
    QProcess daemon;
    QProcess logind;
    std::string address;
    bool ready = false;
};

}  // namespace fwu::testing
