// The headless upgrade of the real program (carrying a 200,000-byte image) against router-sim inside the
// lab, with standard input and output no terminal: the exit status of each ending, what router-sim
// received, and the lines printed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "tools/labsupport/LabEnvironment.h"
#include "tools/labsupport/RouterSim.h"

namespace {

constexpr int kRunMs = 120'000;

struct UtilityRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with `arguments`, `input` on its standard input (then closed), a runtime folder of its
// own and no display.
QProcessEnvironment UtilityEnvironment(const QTemporaryDir& runtime, bool withRuntimeDir = true) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    if (!withRuntimeDir) {
        environment.remove("XDG_RUNTIME_DIR");  // as under sudo, cron or a service
    }
    environment.insert("XDG_STATE_HOME", runtime.path());  // the attempt log stays out of the user's home
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

UtilityRun RunUtility(const QStringList& arguments, const QByteArray& input, bool withRuntimeDir = true) {
    QTemporaryDir runtime;
    QProcess process;
    process.setProcessEnvironment(UtilityEnvironment(runtime, withRuntimeDir));
    process.start(FWU_CLI_LAB_UTILITY, arguments);
    UtilityRun run;
    if (!process.waitForStarted(5'000)) {
        run.err = "the program did not start";
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kRunMs)) {
        process.kill();
        process.waitForFinished(5'000);
        run.err = "the program did not end in time";
    }
    run.out = process.readAllStandardOutput();
    run.err += process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    return run;
}

QByteArray CarriedImage() {
    QFile file(FWU_CLI_LAB_IMAGE);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> Lines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

void ExpectNothingUploaded(const fwu::lab::RouterSim& sim) {
    for (const char* name : {"upload-start", "upload", "upload-aborted"}) {
        EXPECT_TRUE(sim.Events(name).isEmpty()) << "router-sim logged " << name;
    }
}

void ExpectWholeImageTaken(const fwu::lab::RouterSim& sim, const QByteArray& image) {
    const auto upload = sim.WaitForEvent("upload", 5'000);
    ASSERT_TRUE(upload) << "router-sim logged no upload";
    EXPECT_EQ(sim.Events("upload").size(), 1);
    EXPECT_TRUE(upload->value("accepted").toBool());
    EXPECT_TRUE(upload->value("differences").toArray().isEmpty());
    EXPECT_EQ(fwu::lab::TakenImageDifference(*upload, image).toStdString(), "");
}

// --json: every line one object with its event and time in order; the start line first with the schema,
// phases by name in their order, progress with its exact bytes, the result last with the verdict, its exit
// status and the versions.
void ExpectJsonLines(const QByteArray& out) {
    const QList<QByteArray> lines = Lines(out);
    ASSERT_GE(lines.size(), 3) << out.toStdString();
    QStringList phases;
    QJsonObject object;
    double lastTime = 0;
    qint64 lastBytes = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QJsonDocument document = QJsonDocument::fromJson(lines[i]);
        ASSERT_TRUE(document.isObject()) << "not a JSON object: " << lines[i].toStdString();
        object = document.object();
        const QString event = object.value("event").toString();
        ASSERT_TRUE(object.value("t").isDouble()) << lines[i].toStdString();
        EXPECT_GE(object.value("t").toDouble(), lastTime) << lines[i].toStdString();
        lastTime = object.value("t").toDouble();
        EXPECT_EQ(event == "start", i == 0) << lines[i].toStdString();
        EXPECT_EQ(event == "result", i == lines.size() - 1) << lines[i].toStdString();
        if (event == "start") {
            EXPECT_EQ(object.value("schema").toInt(), 1);
            EXPECT_EQ(object.value("program_version").toString(), "1.5.1.2");
            EXPECT_TRUE(object.value("model").isString() && object.value("carried_version").isString() &&
                        object.value("address").isString());
        } else if (event == "phase") {
            phases.append(object.value("phase").toString());
        } else if (event == "check") {
            EXPECT_EQ(object.value("router_version").toString(), "v2.00.20");
            EXPECT_EQ(object.value("action").toString(), "upgrade");
        } else if (event == "progress") {
            EXPECT_TRUE(object.value("phase").toString() == "sending" ||
                        object.value("phase").toString() == "writing-flash");
            EXPECT_TRUE(object.value("percent").isDouble()) << lines[i].toStdString();
            EXPECT_GE(object.value("bytes").toInteger(), lastBytes) << lines[i].toStdString();
            lastBytes = object.value("bytes").toInteger();
        } else {
            EXPECT_EQ(event, "result") << lines[i].toStdString();
        }
    }
    EXPECT_EQ(phases, (QStringList{"checking", "sending", "writing-flash", "confirming"}));
    EXPECT_GT(lastBytes, 200'000) << "the form fields around the image count too";
    EXPECT_EQ(object.value("verdict").toString(), "upgraded");
    EXPECT_EQ(object.value("exit").toInt(-1), 0);
    EXPECT_EQ(object.value("router_version_before").toString(), "v2.00.20");
    EXPECT_EQ(object.value("router_version_after").toString(), object.value("carried_version").toString());
    EXPECT_EQ(object.value("cause").toString(), "");
}

struct Case {
    const char* name;
    QStringList simOptions;
    QStringList arguments;  // after --cli; "ROUTER" stands for the router's address, "LOG" for a --log file,
                            // "FIFO" for a FIFO given to --log
    QByteArray input;
    int exitCode;
    bool uploaded;               // the whole image reached router-sim, else nothing did (or it was cut)
    const char* lastLinePrefix;  // the verdict line; nullptr for --json
    const char* shownText;       // somewhere in the output or on standard error; nullptr for none
    const char* errorText;       // the first line on standard error; nullptr for none at all
};

TEST(CliUpgradeLab, EachEndingHasItsExitStatus) {
    const QByteArray image = CarriedImage();
    ASSERT_EQ(image.size(), 200'000);
    const Case cases[] = {
        {"happy path",
         {},
         {"--address", "ROUTER", "--yes", "--log", "LOG"},
         "",
         0,
         true,
         "upgraded: The router now runs ",
         "\nwriting flash 100%  200",
         nullptr},
        {"proposed gateway, --json", {}, {"--json"}, "", 0, true, nullptr, nullptr, nullptr},
        {"--log a FIFO: told, and the upgrade goes on",
         {},
         {"--address", "ROUTER", "--yes", "--log", "FIFO"},
         "",
         0,
         true,
         "upgraded: The router now runs ",
         "attempt.fifo is not written: it is not a regular file; the upgrade goes on\n",
         "firmware-upgrade-utility: warning: the log "},
        {"wrong password",
         {},
         {"--address", "ROUTER", "--password-stdin"},
         "not-the-password\n",
         3,
         false,
         "router check failed",
         nullptr,
         "firmware-upgrade-utility: cannot reach the router: The Router refused the password"},
        {"newer router, no terminal, no --yes",
         {"--version", "v2.00.30"},
         {"--address", "ROUTER"},
         "",
         4,
         false,
         "downgrade declined",
         nullptr,
         "firmware-upgrade-utility: The router runs v2.00.30, newer than "},
        {"reset mid-transfer",
         {"--fault", "reset-upload"},
         {"--address", "ROUTER"},
         "",
         1,
         false,
         "upgrade failed",
         nullptr,
         "firmware-upgrade-utility: "},
        {"--check",
         {},
         {"--address", "ROUTER", "--check"},
         "",
         0,
         false,
         "checked",
         "\nrouter version: v2.00.20\nan upgrade would: upgrade to the carried version\n",
         nullptr},
        {"--check, wrong password",
         {},
         {"--address", "ROUTER", "--check", "--password-stdin"},
         "not-the-password\n",
         3,
         false,
         "router check failed",
         nullptr,
         "firmware-upgrade-utility: cannot reach the router"},
        {"--check --json of a newer router",
         {"--version", "v2.00.30"},
         {"--address", "ROUTER", "--check", "--json"},
         "",
         0,
         false,
         "{\"action\":\"downgrade\",\"address\":",
         "\"verdict\":\"checked\"",
         nullptr},
        {"--skip-current, older router",
         {},
         {"--address", "ROUTER", "--skip-current"},
         "",
         0,
         true,
         "upgraded: The router now runs ",
         nullptr,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fwu::lab::RouterSim sim(c.simOptions);
        ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
        QTemporaryDir logDir;
        const QString logCopy = logDir.filePath("attempt.log");
        const QString fifo = logDir.filePath("attempt.fifo");
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList arguments{"--cli"};
        for (const QString& argument : c.arguments) {
            arguments.append(argument == "ROUTER" ? sim.Address()
                             : argument == "LOG"  ? logCopy
                             : argument == "FIFO" ? fifo
                                                  : argument);
        }
        const UtilityRun run = RunUtility(arguments, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out.toStdString() << run.err.toStdString();
        if (c.uploaded) {
            ExpectWholeImageTaken(sim, image);
        } else if (c.exitCode != 1) {
            ExpectNothingUploaded(sim);
        } else {
            EXPECT_TRUE(sim.WaitForEvent("upload-aborted", 5'000)) << "router-sim did not cut the upload";
        }
        if (c.lastLinePrefix != nullptr) {
            const QList<QByteArray> lines = Lines(run.out);
            ASSERT_FALSE(lines.isEmpty());
            EXPECT_TRUE(lines.back().startsWith(c.lastLinePrefix)) << run.out.toStdString();
        } else {
            ExpectJsonLines(run.out);
        }
        // Diagnostics on standard error, each line with the program's name, in a terminal's words; no
        // warning of Qt's.
        const QList<QByteArray> errorLines = Lines(run.err);
        EXPECT_EQ(errorLines.isEmpty(), c.errorText == nullptr) << run.err.toStdString();
        if (c.errorText != nullptr && !errorLines.isEmpty()) {
            EXPECT_TRUE(errorLines.front().startsWith(c.errorText)) << run.err.toStdString();
        }
        if (c.arguments.contains("--check") && c.arguments.contains("--json")) {
            EXPECT_EQ(Lines(run.out).size(), 2) << "the start line and the result line";
        }
        for (const QByteArray& line : errorLines) {
            EXPECT_TRUE(line.startsWith("firmware-upgrade-utility: ")) << line.toStdString();
            EXPECT_FALSE(line.toLower().contains("click")) << line.toStdString();
        }
        if (c.arguments.contains("LOG")) {
            // The copy holds the run's steps to its confirmed verdict, and never the router's password.
            QFile copy(logCopy);
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            const QByteArray lines = copy.readAll();
            EXPECT_TRUE(lines.contains(" check: ") && lines.contains(" confirmation: ") &&
                        lines.contains(" verdict: "))
                << lines.toStdString();
            EXPECT_FALSE(lines.contains("rodel")) << lines.toStdString();
        }
        if (c.shownText != nullptr) {
            EXPECT_TRUE((run.out + run.err).contains(c.shownText))
                << run.out.toStdString() << run.err.toStdString();
        }
    }
}

// A second run with --skip-current against the router that kept the version it received sends nothing
// and says "current"; --check after it finds the same version.
TEST(CliUpgradeLab, SkipCurrentMakesASecondRunANoOp) {
    fwu::lab::RouterSim sim(QStringList{});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const UtilityRun first = RunUtility({"--cli", "--address", sim.Address(), "--skip-current"}, "");
    ASSERT_EQ(first.exitCode, 0) << first.out.toStdString() << first.err.toStdString();
    ASSERT_TRUE(sim.WaitForEvent("upload", 5'000));
    const UtilityRun second =
        RunUtility({"--cli", "--address", sim.Address(), "--skip-current", "--json"}, "");
    EXPECT_EQ(second.exitCode, 0) << second.out.toStdString() << second.err.toStdString();
    const QList<QByteArray> lines = Lines(second.out);
    ASSERT_FALSE(lines.isEmpty());
    const QJsonObject last = QJsonDocument::fromJson(lines.back()).object();
    EXPECT_EQ(last.value("verdict").toString(), "current");
    EXPECT_EQ(last.value("router_version_before").toString(), last.value("carried_version").toString());
    EXPECT_TRUE(last.value("router_version_after").isNull());
    const UtilityRun check = RunUtility({"--cli", "--address", sim.Address(), "--check"}, "", false);
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err.toStdString(), "") << "no warning without XDG_RUNTIME_DIR";
    EXPECT_TRUE(check.out.contains("an upgrade would: none needed")) << check.out.toStdString();
    EXPECT_EQ(sim.Events("upload-start").size(), 1);
    EXPECT_EQ(sim.Events("upload").size(), 1);
}

// Ctrl-C, SIGTERM or SIGHUP (a dropped SSH connection) while the image is sent stops the transfer as the
// window's stop does: the connection is cut in the middle of the body, so router-sim never has a whole image,
// and the run ends "stopped" with the shells' status for the signal. With --json a reader that has gone away
// does not end the run: the program carrying the full image is used, whose transfer lasts long enough to be
// interrupted.
TEST(CliUpgradeLab, SignalsStopTheTransfer) {
    const struct {
        int signal;
        int exitCode;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 143}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        fwu::lab::RouterSim sim(QStringList{});
        ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
        QTemporaryDir runtime;
        QProcess process;
        process.setProcessEnvironment(UtilityEnvironment(runtime));
        process.start(FWU_FULL_UTILITY, {"--cli", "--address", sim.Address()});
        ASSERT_TRUE(process.waitForStarted(5'000));
        process.closeWriteChannel();
        QByteArray out;
        while (!out.contains("sending 10%") && process.waitForReadyRead(30'000)) {
            out += process.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains("sending 10%")) << out.toStdString();
        ::kill(static_cast<pid_t>(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(10'000)) << "the signal did not end the run";
        out += process.readAllStandardOutput();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode) << out.toStdString();
        const QList<QByteArray> lines = Lines(out);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.back(), "stopped") << out.toStdString();
        EXPECT_TRUE(
            process.readAllStandardError().startsWith("firmware-upgrade-utility: the upgrade was stopped"));
        // router-sim judges the cut upload short of its announced length, and keeps nothing of it.
        ASSERT_TRUE(sim.WaitForEvent("upload", 5'000)) << "router-sim did not judge the upload";
        const QJsonObject judged = sim.Events("upload").back();
        EXPECT_FALSE(judged.value("accepted").toBool(true));
        EXPECT_LT(judged.value("received").toInteger(), judged.value("announced").toInteger());
    }
}

// A signal during the router check (a status page that comes one byte a second keeps it waiting) ends the
// run at once with its result line, nothing sent; one during the watch after the restart (the router stays
// silent for 40 s, long after the flash wait has seen it go) says the router took the image. Both say so in
// the cause, and the result line is the last.
TEST(CliUpgradeLab, SignalsAtTheCheckAndTheWatchEndWithTheResult) {
    const struct {
        const char* name;
        QStringList simOptions;
        const char* waitFor;  // in standard output: the phase to signal in
        int signal;
        int exitCode;
        bool imageSent;
        const char* cause;
    } cases[] = {
        {"Ctrl-C during the check",
         {"--fault", "drip", "--drip-ms", "1000"},
         "\"phase\":\"checking\"",
         SIGINT,
         130,
         false,
         "the upgrade was stopped during the router check; nothing was sent to the router"},
        {"SIGHUP during the watch",
         {"--restart-ms", "40000"},
         "\"phase\":\"confirming\"",
         SIGHUP,
         143,
         true,
         "the upgrade was stopped after the router took the image and restarted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fwu::lab::RouterSim sim(c.simOptions);
        ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
        QTemporaryDir runtime;
        QProcess process;
        process.setProcessEnvironment(UtilityEnvironment(runtime));
        process.start(FWU_CLI_LAB_UTILITY, {"--cli", "--address", sim.Address(), "--json"});
        ASSERT_TRUE(process.waitForStarted(5'000));
        process.closeWriteChannel();
        QByteArray out;
        while (!out.contains(c.waitFor) && process.waitForReadyRead(60'000)) {
            out += process.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains(c.waitFor)) << out.toStdString();
        process.waitForReadyRead(1'000);  // well inside the phase
        ::kill(static_cast<pid_t>(process.processId()), c.signal);
        QElapsedTimer ending;
        ending.start();
        ASSERT_TRUE(process.waitForFinished(10'000)) << "the signal did not end the run";
        EXPECT_LT(ending.elapsed(), 2'000) << "the run did not end at once";
        out += process.readAllStandardOutput();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode) << out.toStdString();
        const QList<QByteArray> lines = Lines(out);
        ASSERT_FALSE(lines.isEmpty());
        const QJsonObject result = QJsonDocument::fromJson(lines.back()).object();
        EXPECT_EQ(result.value("event").toString(), "result") << out.toStdString();
        EXPECT_EQ(result.value("verdict").toString(), "stopped");
        EXPECT_EQ(result.value("exit").toInt(), c.exitCode);
        EXPECT_EQ(result.value("image_sent").toBool(!c.imageSent), c.imageSent);
        EXPECT_TRUE(result.value("cause").toString().startsWith(c.cause)) << out.toStdString();
        if (c.imageSent) {
            ExpectWholeImageTaken(sim, CarriedImage());
        } else {
            ExpectNothingUploaded(sim);
        }
    }
}

// Standard output closed after three lines (`--json | head -3`): the upgrade goes on to its end.
TEST(CliUpgradeLab, ClosedOutputDoesNotEndTheUpgrade) {
    fwu::lab::RouterSim sim(QStringList{});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QTemporaryDir runtime;
    QProcess process;
    process.setProcessEnvironment(UtilityEnvironment(runtime));
    process.start(FWU_CLI_LAB_UTILITY, {"--cli", "--address", sim.Address(), "--json"});
    ASSERT_TRUE(process.waitForStarted(5'000));
    process.closeWriteChannel();
    QByteArray out;
    while (Lines(out).size() < 3 && process.waitForReadyRead(30'000)) {
        out += process.readAllStandardOutput();
    }
    process.closeReadChannel(QProcess::StandardOutput);
    ASSERT_TRUE(process.waitForFinished(kRunMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    ExpectWholeImageTaken(sim, CarriedImage());
}

}  // namespace
