// The simulated router as a lab test uses it: started inside the lab's router namespace with the options
// a test asks for, stopped when the object goes, and its log read back as parsed events. Every lab test
// starts the router this one way.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace fwu::lab {

class RouterSim {
public:
    // Starts `ip netns exec $FWU_LAB_ROUTER_NETNS $FWU_ROUTER_SIM --log <own log> --save-dir <own folder>
    // <arguments>` (an argument vector, no shell) and waits up to five seconds for it to report that it is
    // ready: listening, or silent with --start-silent, or set up without a port with --fault closed.
    // `arguments` are router-sim options, e.g. {"--fault", "never-close", "--password", ""}.
    explicit RouterSim(const QStringList& arguments = {});
    ~RouterSim();
    RouterSim(const RouterSim&) = delete;
    RouterSim& operator=(const RouterSim&) = delete;

    // True once the simulator said it is ready; otherwise Error() says why.
    bool Started() const { return started; }
    QString Error() const { return error; }

    // Ends the simulator (SIGTERM, then SIGKILL after five seconds). True when it ended by itself with
    // status 0, which means it also switched its ping answers back on. Called by the destructor.
    bool Stop();

    QString Address() const;  // the router's address, 192.168.1.1
    QString LogPath() const { return logPath; }
    QString SaveDir() const { return saveDir; }

    // The events logged so far, oldest first (a line still being written is left out).
    QList<QJsonObject> Events() const;
    QList<QJsonObject> Events(const QString& name) const;

    // The event of that name after `skip` earlier ones of the same name, waiting for it up to
    // `timeoutMs`; nothing when it did not come in time.
    std::optional<QJsonObject> WaitForEvent(const QString& name, int timeoutMs, int skip = 0) const;

private:
    QProcess process;
    QString logPath;
    QString saveDir;
    QString error;
    bool started = false;
};

// Bytes from the wire as the simulator logs them (one Latin-1 character per byte), back as bytes.
QByteArray LoggedBytes(const QJsonValue& value);

// What differs between `image` and the image of an "upload" event (its size, its SHA-256 and the file
// router-sim saved); empty when they agree.
QString TakenImageDifference(const QJsonObject& upload, const QByteArray& image);

}  // namespace fwu::lab
