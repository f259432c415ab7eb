// Running Windows programs under wine in the lab's "pc" namespace: one prefix per build, made on first use,
// and a wine server of the test's own started here. A Windows program's sockets are made by the wine
// server, so the server must run in this namespace too: when another one already serves the prefix the
// test stops before any Windows program runs.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "tools/labsupport/RouterSim.h"

namespace fwu::lab {

class Wine {
public:
    // Starts `wineserver -f -p60` for `prefix` (the folder is made when missing) and, when the prefix is
    // new, sets it up with wineboot. Ready() tells whether it worked, Error() why not.
    explicit Wine(const QString& prefix);
    ~Wine();  // ends the server it started (and with it the wine processes it served)
    Wine(const Wine&) = delete;
    Wine& operator=(const Wine&) = delete;

    bool Ready() const { return ready; }
    QString Error() const { return error; }
    qint64 ServerPid() const { return server.processId(); }
    // The environment of a wine program: this prefix, no debug output, no display, no wine-mono or
    // wine-gecko set-up.
    QProcessEnvironment Environment() const;

private:
    QString prefix;
    QProcess server;
    bool ready = false;
    QString error;
};

struct ProgramRun {
    int exitCode = -1;  // -1 when it crashed or did not end in time
    QByteArray out;
    QByteArray err;
    double wallMs = 0;
    // CPU time and wall time from router-sim's "upload-start" to its "upload-received", as seen by polling
    // its log every few milliseconds; -1 when the run had no whole upload.
    double transferCpuMs = -1;
    double transferWallMs = -1;
};

// Runs `program` with `arguments` and `environment`, `input` on its standard input (then closed), for at
// most `timeoutMs`. With `sim`, the CPU time of the process's threads (and of `alsoCounted`'s, e.g. the
// wine server, when not 0) is read when the upload starts and when its body is complete.
ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, const QByteArray& input, int timeoutMs,
                      const RouterSim* sim = nullptr, qint64 alsoCounted = 0);

// Packs `program` (Linux or Windows) with `image` and the lab's model and release date into `packed`, as
// the packing tool does for a release; what the tool said on failure, empty when it worked.
QString PackForLab(const QString& program, const QString& image, const QString& packed);

// The time all threads of process `pid` have run so far, in milliseconds (the scheduler's nanosecond
// counts); -1 when the process is gone.
double ProcessCpuMs(qint64 pid);

}  // namespace fwu::lab
