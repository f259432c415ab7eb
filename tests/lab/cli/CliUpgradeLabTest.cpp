// The headless upgrade of the real program (carrying a 200,000-byte image) against router-sim inside the
// lab, with standard input and output no terminal: the exit status of each ending, what router-sim
// received, and the lines printed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCryptographicHash>
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
QProcessEnvironment UtilityEnvironment(const QTemporaryDir& runtime) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("XDG_STATE_HOME", runtime.path());  // the attempt log stays out of the user's home
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

UtilityRun RunUtility(const QStringList& arguments, const QByteArray& input) {
    QTemporaryDir runtime;
    QProcess process;
    process.setProcessEnvironment(UtilityEnvironment(runtime));
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

// --json: every line one object with the phase, percent and bytes, the phases in their order; the last
// line carries the verdict, its exit status and the whole image's bytes.
void ExpectJsonLines(const QByteArray& out, qint64 imageSize) {
    const QList<QByteArray> lines = Lines(out);
    ASSERT_GE(lines.size(), 3) << out.toStdString();
    QStringList phases;
    QJsonObject object;
    for (const QByteArray& line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line);
        ASSERT_TRUE(document.isObject()) << "not a JSON object: " << line.toStdString();
        object = document.object();
        EXPECT_TRUE(object.value("percent").isDouble() && object.value("bytes").isDouble())
            << line.toStdString();
        if (phases.isEmpty() || phases.back() != object.value("phase").toString()) {
            phases.append(object.value("phase").toString());
        }
    }
    EXPECT_EQ(phases, (QStringList{"checking", "sending", "writing-flash", "confirming"}));
    EXPECT_EQ(object.value("verdict").toString(), "upgraded");
    EXPECT_EQ(object.value("exit").toInt(-1), 0);
    EXPECT_EQ(object.value("bytes").toInteger(), imageSize);
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
         "\nwriting flash 100%  200000 bytes\n"},
        {"proposed gateway, --json", {}, {"--json"}, "", 0, true, nullptr, nullptr},
        {"--log a FIFO: told, and the upgrade goes on",
         {},
         {"--address", "ROUTER", "--yes", "--log", "FIFO"},
         "",
         0,
         true,
         "upgraded: The router now runs ",
         "attempt.fifo is not written: it is not a regular file; the upgrade goes on\n"},
        {"wrong password",
         {},
         {"--address", "ROUTER", "--password-stdin"},
         "not-the-password\n",
         3,
         false,
         "router check failed: Can't find the Router.",
         nullptr},
        {"newer router, no terminal, no --yes",
         {"--version", "v2.00.30"},
         {"--address", "ROUTER"},
         "",
         4,
         false,
         "downgrade declined",
         "Run with --yes"},
        {"reset mid-transfer",
         {"--fault", "reset-upload"},
         {"--address", "ROUTER"},
         "",
         1,
         false,
         "upgrade failed: ",
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
            ExpectJsonLines(run.out, image.size());
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

// Ctrl-C while the image is sent stops the transfer as the window's stop does: the connection is cut in
// the middle of the body, so router-sim never has a whole image, and the run ends with its cause and 1.
// The program carrying the full image is used, whose transfer lasts long enough to be interrupted.
TEST(CliUpgradeLab, CtrlCStopsTheTransfer) {
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
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10'000)) << "Ctrl-C did not end the run";
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << out.toStdString();
    const QList<QByteArray> lines = Lines(out);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.back().startsWith("upgrade failed: The upgrade was stopped.")) << out.toStdString();
    // router-sim judges the cut upload short of its announced length, and keeps nothing of it.
    ASSERT_TRUE(sim.WaitForEvent("upload", 5'000)) << "router-sim did not judge the upload";
    const QJsonObject judged = sim.Events("upload").back();
    EXPECT_FALSE(judged.value("accepted").toBool(true));
    EXPECT_LT(judged.value("received").toInteger(), judged.value("announced").toInteger());
}

}  // namespace
