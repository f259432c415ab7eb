// After the success page, the window watches router-sim come back from its restart: the line names the
// version it then runs (the image's, or with keep-version the one it had), and the log of the attempt
// holds every step of the run and never the password.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "res/StringTable.h"
#include "router/Credential.h"
#include "tests/lab/e2e/DialogRig.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/walkthrough/WalkDriver.h"
#include "tools/walkthrough/Walkthrough.h"
#include "ui/Latin1.h"
#include "upgrade/RunExitStatus.h"

namespace fwu::e2e {
namespace {

// router-sim stays silent for 30 s after the flash (SimOptionsFor), then its web page answers at once.
constexpr int kBackWithinMs = 60'000;

struct WatchedRun {
    int page = -1;            // the page of the final screen
    QString line;             // the success page's confirmation line, or the progress page's status
    QString log;              // the attempt's log
    bool privateLog = false;  // only its owner may read and write it
    int exitStatus = -1;      // the window's, had the run ended there
};

WatchedRun UpgradeAndWatch(const QString& password, const QStringList& simOptions,
                           std::int64_t watchMs = kConfirmationWatchMs) {
    WatchedRun run;
    QTemporaryDir state(lab::ReadLabEnvironment().scratchDir + "/state-XXXXXX");
    EXPECT_TRUE(state.isValid());
    const QByteArray previousState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    const QByteArray image = OwnImage();
    lab::RouterSim sim(SimOptionsFor(image.size(), QStringList{"--password", password} + simOptions));
    EXPECT_TRUE(sim.Started()) << sim.Error().toStdString();
    {
        DialogRig rig;
        rig.services.LimitWatch(watchMs);
        QTemporaryDir pictures(lab::ReadLabEnvironment().scratchDir + "/pictures-XXXXXX");
        walk::WalkOptions options;
        options.pictureDir = pictures.path();
        options.password = password;
        options.uploadTimeoutMs = UploadTimeoutMs();
        const walk::WalkResult result = walk::WalkToSuccess(rig.Dialog(), options);
        EXPECT_TRUE(result.reachedDone) << result.failure.toStdString();
        const QString confirming = Latin1(LoadString(IDS_CONFIRMING));
        EXPECT_TRUE(walk::WaitUntil(
            [&] {
                return rig.Dialog().Page() != PAGE_DONE ||
                       LabelText(rig.Dialog(), "confirmationLabel") != confirming;
            },
            watchMs + kBackWithinMs));
        run.page = rig.Dialog().Page();
        run.line = run.page == PAGE_DONE ? LabelText(rig.Dialog(), "confirmationLabel")
                                         : walk::ProgressStatus(rig.Dialog());
        run.exitStatus = RunExitStatus(rig.Dialog().Run().LastUpgradeEnd());
        if (watchMs == kConfirmationWatchMs) {  // back: the check's and the watch's status requests
            EXPECT_TRUE(sim.WaitForEvent("back", 1'000));
            // The check's status request, then the watch's, both with the password typed.
            const QList<QJsonObject> requests = sim.Events("status-request");
            EXPECT_EQ(requests.size(), 2);
            for (const QJsonObject& request : requests) {
                EXPECT_EQ(request.value("answer").toInt(), 200);
            }
        }
    }
    QFile log(state.path() + "/firmware-upgrade-utility/upgrade.log");
    EXPECT_TRUE(log.open(QIODevice::ReadOnly)) << log.fileName().toStdString();
    run.log = QString::fromLatin1(log.readAll());
    const QFileDevice::Permissions others =
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    run.privateLog = (log.permissions() & others) == 0 && (log.permissions() & QFileDevice::ReadOwner) &&
                     (log.permissions() & QFileDevice::WriteOwner);
    qputenv("XDG_STATE_HOME", previousState);
    return run;
}

TEST(ConfirmationLab, NewVersionConfirmedAndTheLogHoldsEveryStepButNoPassword) {
    const QString password = QStringLiteral("Lab-Pass-9xQz");
    const WatchedRun run = UpgradeAndWatch(password, {});
    EXPECT_EQ(run.page, PAGE_DONE);
    EXPECT_EQ(run.line, QStringLiteral("The router now runs v2.00.22."));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.privateLog);

    // One step a line, each with its local time and offset.
    const QStringList lines = run.log.split('\n', Qt::SkipEmptyParts);
    const QRegularExpression stamped(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d [a-z]+: )"));
    for (const QString& line : lines) {
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
    }
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(OwnImage(), QCryptographicHash::Sha256).toHex());
    const QString steps[] = {
        "image: model ",
        "sha256 " + sha,
        "gateway: candidate ",
        "gateway: proposed ",
        "check: ",
        ": passed, router runs v2.00.20",
        "transfer: starting to ",
        QStringLiteral("transfer: ended: %1 body bytes sent in ").arg(0),
        "answer: \"HTTP/1.0 200 Ok\"",
        "silence: ",
        "verdict: result 1, restarted",
        "confirmation: watching ",
        ", runs v2.00.22 (confirmed)",
    };
    for (const QString& step : steps) {
        if (step.startsWith("transfer: ended")) {
            EXPECT_TRUE(run.log.contains(
                QRegularExpression(R"(transfer: ended: [1-9]\d* body bytes sent in \d+ ms)")))
                << run.log.toStdString();
            continue;
        }
        EXPECT_TRUE(run.log.contains(step)) << step.toStdString() << "\n" << run.log.toStdString();
    }
    std::string credential;
    ASSERT_TRUE(BuildBasicCredential(password.toStdString(), credential));
    const QByteArray bare = password.toLatin1().toBase64();
    EXPECT_FALSE(run.log.contains(password));
    EXPECT_FALSE(run.log.contains(QString::fromStdString(credential)));
    EXPECT_FALSE(run.log.contains(QString::fromLatin1(bare)));
}

// The final screen is the progress page's failure with Retry, never the congratulation.
TEST(ConfirmationLab, RouterBackWithTheOldVersionIsAFailedUpgrade) {
    const WatchedRun run = UpgradeAndWatch(QStringLiteral("rodel"), {"--fault", "keep-version"});
    EXPECT_EQ(run.page, PAGE_PROGRESS);
    EXPECT_EQ(run.line,
              "The Router restarted but still runs v2.00.20. Switch it off and on, then click Retry.");
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.log.contains(", runs v2.00.20 (not the carried version)")) << run.log.toStdString();
}

TEST(ConfirmationLab, RouterNeverBackIsAFailedUpgrade) {
    // Silent far longer than the watch, which is given 20 s here instead of its 5 minutes.
    const WatchedRun run = UpgradeAndWatch(QStringLiteral("rodel"), {"--restart-ms", "600000"}, 20'000);
    EXPECT_EQ(run.page, PAGE_PROGRESS);
    EXPECT_EQ(run.line, "The Router is not back after 5 minutes. Check its cables and lights, then Retry.");
    EXPECT_EQ(run.exitStatus, 1);
}

}  // namespace
}  // namespace fwu::e2e
