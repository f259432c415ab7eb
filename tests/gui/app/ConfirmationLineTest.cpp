// The success page's line about the router after its restart, with a scripted watch: the version it
// names; for another version or none within 5 minutes the progress page's failure with Retry instead,
// and exit status 1; and Exit, live all along, after which nothing more is sent.
#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QtTest>
#include <atomic>
#include <limits>
#include <memory>

#include <QLabel>

#include "app/AboutDlg.h"
#include "app/ConfirmationLine.h"
#include "app/UpgradeDlg.h"
#include "res/StringTable.h"
#include "tests/gui/app/support/FaceMouse.h"
#include "tests/gui/app/support/FakeServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"
#include "tests/unit/upgrade/FakeLogindBus.h"
#include "ui/Latin1.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinLabel.h"
#include "upgrade/RunExitStatus.h"

using namespace fwu;
using fwu::testing::Click;
using fwu::testing::FakeServices;
using fwu::testing::kNext;
using fwu::testing::kSecond;
using fwu::testing::RecordingDialogServices;

namespace {

// Next three times, then the worker's success: the success page, whose watch starts.
void ToSuccessPage(CUpgradeDlg& d, FakeServices& services) {
    d.show();
    for (int i = 0; i < 3; ++i) {
        Click(d, kNext);
    }
    QVERIFY(d.ConfirmationLabel() == nullptr);  // only the success page has it
    services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(1));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(d.Page(), PAGE_DONE);
}

// A router on a clock of the watch's own: silent for `backAfterMs`, then naming `version` (if any).
struct ScriptedWatch {
    std::atomic<std::int64_t> now{0};
    std::atomic<int> probes{0};
    std::atomic<int> wrongArguments{0};  // probes or queries not to the router's address or credential
    std::int64_t backAfterMs = 0;
    std::optional<std::string> version;
    bool realPause = false;  // wait on the watch's own clock, so the test can click Exit meanwhile

    ConfirmationWatchServices Services() {
        ConfirmationWatchServices s;
        s.nowMs = [this] { return realPause ? std::int64_t{0} : now.load(); };
        s.probe = [this](const std::string& address) {
            wrongArguments += address == "192.168.1.1" ? 0 : 1;
            ++probes;
            return now.load() >= backAfterMs;
        };
        s.readVersion = [this](const std::string&, const std::string& credential,
                               const std::function<bool()>&) {
            wrongArguments += credential == "OnJvZGVs" ? 0 : 1;  // ":rodel"
            return version;
        };
        if (!realPause) {
            s.pause = [this](int ms) { now += ms; };
        }
        return s;
    }
};

}  // namespace

class ConfirmationLineTest : public QObject {
    Q_OBJECT

private slots:
    void lineAfterTheRestart_data();
    void lineAfterTheRestart();
    void exitDuringTheWatchSendsNothingMore();
    void aboutBoxNamesTheLog();
    void suspendHeldUntilTheWatchEnds_data();
    void suspendHeldUntilTheWatchEnds();
};

void ConfirmationLineTest::lineAfterTheRestart_data() {
    QTest::addColumn<qint64>("backAfterMs");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("page");        // the final screen
    QTest::addColumn<QString>("line");    // its confirmation line, or the progress page's status line
    QTest::addColumn<int>("exitStatus");  // of the run, ended here
    QTest::addColumn<bool>("retryAsksDowngrade");
    QTest::newRow("new version") << qint64{30000} << "v2.00.22" << int{PAGE_DONE}
                                 << "The router now runs v2.00.22." << 0 << false;
    QTest::newRow("old version") << qint64{30000} << "v2.00.20" << int{PAGE_PROGRESS}
                                 << "The Router restarted but still runs v2.00.20. Switch it off and on, "
                                    "then click Retry."
                                 << 1 << false;
    QTest::newRow("back newer than the image")
        << qint64{30000} << "v2.01.00" << int{PAGE_PROGRESS}
        << "The Router restarted but still runs v2.01.00. Switch it off and on, then click Retry." << 1
        << true;
    QTest::newRow("not back in 5 minutes")
        << qint64{60 * 60 * 1000} << QString() << int{PAGE_PROGRESS}
        << "The Router is not back after 5 minutes. Check its cables and lights, then Retry." << 1 << false;
}

void ConfirmationLineTest::lineAfterTheRestart() {
    QFETCH(qint64, backAfterMs);
    QFETCH(QString, version);
    QFETCH(int, page);
    QFETCH(QString, line);
    QFETCH(int, exitStatus);
    QFETCH(bool, retryAsksDowngrade);
    FakeServices services;
    ScriptedWatch router;
    router.backAfterMs = backAfterMs;
    if (!version.isEmpty()) {
        router.version = version.toStdString();
    }
    services.watch = router.Services();
    RecordingDialogServices boxes;
    CUpgradeDlg d(services, boxes.Services());
    ToSuccessPage(d, services);
    QVERIFY(d.ConfirmationLabel() != nullptr);
    QCOMPARE(d.ConfirmationLabel()->geometry(), kConfirmationRect);
    QTRY_VERIFY(d.Page() == page && (page != PAGE_DONE || d.ConfirmationLabel()->Text() == line));
    QVERIFY(router.probes.load() >= 1);
    QCOMPARE(router.wrongArguments.load(), 0);
    QCOMPARE(RunExitStatus(d.Run().LastUpgradeEnd()), exitStatus);
    if (page == PAGE_DONE) {
        QCOMPARE(d.ConfirmationLabel()->TextColor(), kConfirmationColour);
        return;
    }
    // No congratulation is left: the progress page in its failure state, the cause in the warning colour.
    QVERIFY(d.ConfirmationLabel() == nullptr);
    QCOMPARE(d.Progress()->StatusText(), line);
    QCOMPARE(d.Progress()->StatusLabel()->TextColor(), QColor(kWarningRgb));
    QCOMPARE(d.Progress()->PercentText(), QString());
    QCOMPARE(
        QAccessible::queryAccessibleInterface(&d)->text(QAccessible::Description),
        QStringLiteral("Do not close this program or unplug the Router while it is being upgraded. If the "
                       "upgrade fails, restart the Router, then click Retry to try again."));
    if (qEnvironmentVariableIsSet("FWU_SHOT_DIR") && version == "v2.00.20") {
        d.grab().save(qEnvironmentVariable("FWU_SHOT_DIR") + "/page-3-not-taken.png");
    }
    // Retry compares against the version the router came back with.
    Click(d, kSecond);
    QCOMPARE(boxes.questions.size(), std::size_t{retryAsksDowngrade ? 1u : 0u});
    if (retryAsksDowngrade) {
        QCOMPARE(boxes.questions.front(), int{IDS_ASK_DOWNGRADE});
        QVERIFY(!d.isVisible());  // the script answered No: nothing sent, the run ends after the failure
    } else {
        QCOMPARE(services.starts.size(), std::size_t{2});
        services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(1));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(d.Page(), PAGE_DONE);  // a new watch, a new line: being confirmed
        QCOMPARE(d.ConfirmationLabel()->Text(), Latin1(LoadString(IDS_CONFIRMING)));
    }
    // A declined Retry leaves the disproved upgrade the last; one that was counted as done stands.
    QCOMPARE(RunExitStatus(d.Run().LastUpgradeEnd()), retryAsksDowngrade ? 1 : 0);
}

void ConfirmationLineTest::exitDuringTheWatchSendsNothingMore() {
    FakeServices services;
    ScriptedWatch router;
    router.backAfterMs = std::numeric_limits<std::int64_t>::max();
    router.realPause = true;
    services.watch = router.Services();
    RecordingDialogServices boxes;
    CUpgradeDlg d(services, boxes.Services());
    ToSuccessPage(d, services);
    QTRY_VERIFY(router.probes.load() >= 1);
    QCOMPARE(d.ConfirmationLabel()->Text(),
             QStringLiteral("The router is restarting. Confirming the new version..."));
    Click(d, kSecond);  // Exit, live while the router is watched
    QVERIFY(!d.isVisible());
    const int sent = router.probes.load();
    QTest::qWait(1500);  // more than the interval between two probes
    QCOMPARE(router.probes.load(), sent);
}

void ConfirmationLineTest::aboutBoxNamesTheLog() {
    qputenv("XDG_STATE_HOME", "/srv/state-of/me");
    CAboutDlg about;
    const QLabel* line = about.findChild<QLabel*>(QStringLiteral("aboutLog"));
    QVERIFY(line != nullptr);
    QCOMPARE(line->text(),
             QStringLiteral(
                 "Log of every upgrade attempt: /srv/state-of/me/firmware-upgrade-utility/upgrade.log"));
    qunsetenv("XDG_STATE_HOME");
}

void ConfirmationLineTest::suspendHeldUntilTheWatchEnds_data() {
    QTest::addColumn<bool>("exitDuringTheWatch");
    QTest::newRow("the router names its version") << false;
    QTest::newRow("Exit while the router is away") << true;
}

void ConfirmationLineTest::suspendHeldUntilTheWatchEnds() {
    QFETCH(bool, exitDuringTheWatch);
    fwu::testing::FakeLogind logind;
    QVERIFY2(logind.ready, "dbus-daemon or the stand-in login manager did not start");
    FakeServices services;
    services.sleepBus = logind.address;
    ScriptedWatch router;
    router.version = "v2.00.22";
    router.realPause = exitDuringTheWatch;
    router.backAfterMs = exitDuringTheWatch ? std::numeric_limits<std::int64_t>::max() : 30000;
    services.watch = router.Services();
    RecordingDialogServices boxes;
    CUpgradeDlg d(services, boxes.Services());
    ToSuccessPage(d, services);
    QCOMPARE(
        logind.NextLine(),
        std::string(
            "inhibit sleep:handle-lid-switch|Firmware Upgrade Utility|Firmware upgrade in progress|block"));
    if (exitDuringTheWatch) {
        QTRY_VERIFY(router.probes.load() > 0);
        QVERIFY2(logind.Quiet(), "released while the router is watched");
        Click(d, kSecond);  // Exit
    } else {
        QTRY_COMPARE(d.ConfirmationLabel()->Text(), QStringLiteral("The router now runs v2.00.22."));
    }
    QCOMPARE(logind.NextLineHandlingEvents(), std::string("released 1"));
}

QTEST_MAIN(ConfirmationLineTest)
#include "ConfirmationLineTest.moc"
