#include "tests/lab/windows/WineRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace fwu::lab {
namespace {

constexpr int kServerStartMs = 1'000;
constexpr int kPrefixSetUpMs = 180'000;
constexpr int kPollMs = 3;

}  // namespace

Wine::Wine(const QString& prefixPath) : prefix(QFileInfo(prefixPath).absoluteFilePath()) {
    if (!QDir().mkpath(prefix)) {
        error = "cannot make the wine prefix " + prefix;
        return;
    }
    server.setProcessEnvironment(Environment());
    server.setProcessChannelMode(QProcess::MergedChannels);
    // Foreground, so it is this test's child and ends with it; it stays a minute after its last program.
    server.start("wineserver", {"-f", "-p60"});
    if (!server.waitForStarted(kServerStartMs)) {
        error = "cannot start wineserver: " + server.errorString();
        return;
    }
    // One that finds another server on the prefix says so and ends at once.
    if (server.waitForFinished(kServerStartMs)) {
        const QString said = QString::fromLocal8Bit(server.readAll().trimmed());
        error = "another wine server already serves " + prefix + (said.isEmpty() ? "" : " (" + said + ")") +
                "; it may not run in this namespace. End it with WINEPREFIX=" + prefix + " wineserver -k";
        return;
    }
    if (!QFileInfo::exists(prefix + "/system.reg")) {
        QProcess boot;
        boot.setProcessEnvironment(Environment());
        boot.start("wine", {"wineboot", "--init"});
        if (!boot.waitForFinished(kPrefixSetUpMs) || boot.exitCode() != 0) {
            boot.kill();
            boot.waitForFinished(5'000);
            error = "wineboot could not set up " + prefix + ": " + boot.readAllStandardError().right(300);
            return;
        }
    }
    ready = true;
}

Wine::~Wine() {
    if (server.state() == QProcess::NotRunning) {
        return;
    }
    QProcess kill;  // ends the server of this prefix: the one started above
    kill.setProcessEnvironment(Environment());
    kill.start("wineserver", {"-k"});
    kill.waitForFinished(5'000);
    if (!server.waitForFinished(5'000)) {
        server.kill();
        server.waitForFinished(5'000);
    }
}

QProcessEnvironment Wine::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", prefix);
    environment.insert("WINEDEBUG", "-all");
    environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

QString PackForLab(const QString& program, const QString& image, const QString& packed) {
    QProcess pack;
    pack.setProcessChannelMode(QProcess::MergedChannels);
    pack.start(FWU_BRINDLEPAK,
               {"--model", "ZPR8800N", "--release-date", "DEC 01,2007", program, image, packed});
    if (!pack.waitForFinished(60'000)) {
        pack.kill();
        pack.waitForFinished(5'000);
        return "the packing tool did not end within a minute";
    }
    if (pack.exitStatus() != QProcess::NormalExit || pack.exitCode() != 0 || !QFileInfo(packed).isFile()) {
        return "the packing tool failed: " + QString::fromLocal8Bit(pack.readAll().right(500));
    }
    return {};
}

double ProcessCpuMs(qint64 pid) {
    const QDir tasks(QString("/proc/%1/task").arg(pid));
    if (pid <= 0 || !tasks.exists()) {
        return -1;
    }
    double ns = 0;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + "/schedstat"));
        if (stat.open(QIODevice::ReadOnly)) {
            ns += stat.readLine(64).split(' ').value(0).toDouble();
        }
    }
    return ns / 1e6;
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, const QByteArray& input, int timeoutMs,
                      const RouterSim* sim, qint64 alsoCounted) {
    ProgramRun run;
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(5'000)) {
        run.err = "cannot start " + program.toUtf8();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    const qint64 pid = process.processId();
    const auto cpuNow = [&] {
        return ProcessCpuMs(pid) + (alsoCounted > 0 ? ProcessCpuMs(alsoCounted) : 0.0);
    };
    double startCpu = -1, startMs = -1;
    bool timedOut = false;
    while (!process.waitForFinished(kPollMs)) {
        if (clock.elapsed() > timeoutMs) {
            timedOut = true;
            break;
        }
        if (sim == nullptr || run.transferWallMs >= 0) {
            continue;
        }
        if (startMs < 0 && !sim->Events("upload-start").isEmpty()) {
            startCpu = cpuNow();
            startMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        } else if (startMs >= 0 && !sim->Events("upload-received").isEmpty()) {
            run.transferCpuMs = cpuNow() - startCpu;
            run.transferWallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 - startMs;
        }
    }
    if (timedOut) {
        process.kill();
        process.waitForFinished(5'000);
        run.err = "the program did not end in time\n";
    }
    run.wallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    run.out = process.readAllStandardOutput();
    run.err += process.readAllStandardError();
    if (!timedOut && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    return run;
}

}  // namespace fwu::lab
