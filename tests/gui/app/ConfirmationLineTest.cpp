// The success page's line about the router after its restart, with a scripted watch: the version it
// names, a warning for another version or none within 5 minutes, and Exit, live all along, after which
// nothing more is sent.
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
#include "res/Latin1.h"
#include "res/StringTable.h"
#include "tests/gui/app/support/FaceMouse.h"
#include "tests/gui/app/support/FakeServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"
#include "tests/unit/upgrade/FakeLogindBus.h"
#include "ui/SkinLabel.h"

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
    services.uploadWindow->PostUpgradeDone(1);
    QCoreApplication::sendPostedEvents(&d);
    QCOMPARE(d.Page(), PAGE_DONE);
}

// A router on a clock of the watch's own: silent for `backAfterMs`, then naming `version` (if any).
struct ScriptedWatch {
    std::atomic<std::int64_t> now{0};
    std::atomic<int> probes{0};
    std::atomic<int> wrongArguments{0};  // probes or queries not to the router's address or password
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
        s.readVersion = [this](const std::string&, const std::string& password,
                               const std::function<bool()>&) {
            wrongArguments += password == "rodel" ? 0 : 1;
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
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("warning");
    QTest::newRow("new version") << qint64{30000} << "v2.00.22"
                                 << "The router now runs v2.00.22." << false;
    QTest::newRow("old version") << qint64{30000} << "v2.00.20"
                                 << "The router restarted but still runs v2.00.20: it kept its old firmware. "
                                    "Switch it off and on, then run the upgrade again."
                                 << true;
    QTest::newRow("not back in 5 minutes")
        << qint64{60 * 60 * 1000} << QString() << Latin1(LoadString(IDS_ROUTER_NOT_BACK)) << true;
}

void ConfirmationLineTest::lineAfterTheRestart() {
    QFETCH(qint64, backAfterMs);
    QFETCH(QString, version);
    QFETCH(QString, line);
    QFETCH(bool, warning);
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
    CSkinLabel* label = d.ConfirmationLabel();
    QVERIFY(label != nullptr);
    QCOMPARE(label->objectName(), QStringLiteral("confirmationLabel"));
    QCOMPARE(label->geometry(), kConfirmationRect);
    QTRY_COMPARE(label->Text(), line);
    QCOMPARE(label->TextColor(), warning ? kConfirmationWarningColour : kConfirmationColour);
    QVERIFY(router.probes.load() >= 1);
    QCOMPARE(router.wrongArguments.load(), 0);
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
    QCOMPARE(d.ConfirmationLabel()->Text(), QString());  // nothing known yet: no line
    Click(d, kSecond);                                   // Exit, live while the router is watched
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
    QCOMPARE(logind.NextLine(),
             std::string("inhibit sleep|Firmware Upgrade Utility|Firmware upgrade in progress|block"));
    if (exitDuringTheWatch) {
        QTRY_VERIFY(router.probes.load() > 0);
        QVERIFY2(logind.Quiet(), "released while the router is watched");
        Click(d, kSecond);  // Exit
    } else {
        QTRY_COMPARE(d.ConfirmationLabel()->Text(), QStringLiteral("The router now runs v2.00.22."));
    }
    QCOMPARE(logind.NextLine(), std::string("released 1"));
}

QTEST_MAIN(ConfirmationLineTest)
#include "ConfirmationLineTest.moc"
