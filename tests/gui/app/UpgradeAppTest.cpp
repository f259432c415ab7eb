// The application object's one-copy rule and run, and the face's context menu with the About box.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <thread>

#include "app/AboutDlg.h"
#include "app/UpgradeApp.h"
#include "app/UpgradeDlg.h"
#include "res/StringTable.h"
#include "tests/gui/app/support/FakeServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"

using namespace fwu;
using fwu::testing::FakeServices;
using fwu::testing::RecordingDialogServices;

namespace {

// Runs `act` on the modal window once the modal loop runs.
template <typename Act>
void WhenModal(Act act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        act(modal);
    });
}

}  // namespace

class UpgradeAppTest : public QObject {
    Q_OBJECT

private slots:
    void secondCopyAsksFirstToShow();
    void staleSocketIsReplaced();
    void runsWindowUntilItEnds();
    void loopEndedWhileBusyWaitsForWorker();
    void faceMenuEntries();
    void aboutBox();
    void menuCloseIgnoredWhileBusy();

private:
    QTemporaryDir sockets;
};

void UpgradeAppTest::secondCopyAsksFirstToShow() {
    const QString name = sockets.filePath(QStringLiteral("second.sock"));
    CUpgradeApp first(name);
    QVERIFY(first.ClaimSingleInstance());
    QSignalSpy shown(&first, &CUpgradeApp::ShowRequested);

    CUpgradeApp second(name);
    FakeServices services;
    QCOMPARE(second.InitInstance(services), 0);
    QCOMPARE(services.gatewayLookups, 0);  // no window was made
    QVERIFY(shown.wait(3000));
    QCOMPARE(shown.count(), 1);
}

void UpgradeAppTest::staleSocketIsReplaced() {
    const QString name = sockets.filePath(QStringLiteral("stale.sock"));
    {
        QFile leftover(name);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
    }
    CUpgradeApp app(name);
    QVERIFY(app.ClaimSingleInstance());

    CUpgradeApp later(name);
    QSignalSpy shown(&app, &CUpgradeApp::ShowRequested);
    QVERIFY(!later.ClaimSingleInstance());
    QVERIFY(shown.wait(3000));
}

void UpgradeAppTest::runsWindowUntilItEnds() {
    CUpgradeApp app(sockets.filePath(QStringLiteral("run.sock")));
    FakeServices services;
    RecordingDialogServices boxes;
    bool sawWindow = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CUpgradeDlg*>(modal);
        QVERIFY(dialog != nullptr);
        sawWindow = dialog->isVisible() && dialog->Page() == 0;
        dialog->reject();
    });
    QCOMPARE(app.InitInstance(services, boxes.Services()), 0);
    QVERIFY(sawWindow);
    QCOMPARE(services.gatewayLookups, 1);
}

void UpgradeAppTest::loopEndedWhileBusyWaitsForWorker() {
    CUpgradeApp app(sockets.filePath(QStringLiteral("busy.sock")));
    FakeServices services;
    RecordingDialogServices boxes;
    std::atomic<bool> statusTaken{false};
    services.worker = [&statusTaken](UploadWindow& window) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        window.PostStatusText(IDS_WRITING_FLASH);
        statusTaken = true;
        window.PostUpgradeVerdict(VerdictOfResult(0));
    };
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CUpgradeDlg*>(modal);
        QVERIFY(dialog != nullptr);
        for (int i = 0; i < 3; ++i) {
            dialog->ChangePage(false);  // the progress page starts the upload
        }
        QVERIFY(dialog->Busy());
        dialog->done(QDialog::Rejected);  // the loop ends around the guards of the window
    });
    QCOMPARE(app.InitInstance(services, boxes.Services()), 1);  // the run ended after a failed upgrade
    QVERIFY(statusTaken.load());
    QVERIFY(!services.UploadRunning());
}

void UpgradeAppTest::faceMenuEntries() {
    FakeServices services;
    RecordingDialogServices boxes;
    CUpgradeDlg dialog(services, boxes.Services());
    const std::unique_ptr<QMenu> menu = dialog.CreateFaceMenu();
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QStringLiteral("Mi&nimise"));
    QCOMPARE(actions[1]->text(), QStringLiteral("&Close"));
    QVERIFY(actions[2]->isSeparator());
    QCOMPARE(actions[3]->text(), QStringLiteral("&About kvel..."));

    dialog.show();
    actions[0]->trigger();
    QVERIFY(dialog.isMinimized());
    actions[1]->trigger();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void UpgradeAppTest::aboutBox() {
    FakeServices services;
    RecordingDialogServices boxes;
    CUpgradeDlg dialog(services, boxes.Services());
    dialog.show();
    QString title;
    QString version;
    QString note;
    bool hasIcon = false;
    WhenModal([&](QWidget* modal) {
        auto* about = qobject_cast<CAboutDlg*>(modal);
        QVERIFY(about != nullptr);
        title = about->windowTitle();
        version = about->VersionLabel()->text();
        note = about->NoteLabel()->text();
        hasIcon = !about->IconLabel()->pixmap().isNull();
        QTest::mouseClick(about->OkButton(), Qt::LeftButton);
    });
    dialog.CreateFaceMenu()->actions().last()->trigger();
    QCOMPARE(title, QStringLiteral("About Firmware Upgrade Utility"));
    QCOMPARE(version, QStringLiteral("Version 1.5.1.2"));
    QVERIFY(!note.isEmpty());
    QVERIFY(hasIcon);
    QVERIFY(dialog.isVisible());
}

void UpgradeAppTest::menuCloseIgnoredWhileBusy() {
    FakeServices services;
    RecordingDialogServices boxes;
    CUpgradeDlg dialog(services, boxes.Services());
    dialog.show();
    dialog.ChangePage(false);
    dialog.ChangePage(false);
    dialog.ChangePage(false);  // the progress page starts the upload
    QVERIFY(dialog.Busy());
    const std::unique_ptr<QMenu> menu = dialog.CreateFaceMenu();
    menu->actions()[1]->trigger();
    QVERIFY(dialog.isVisible());

    services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(0));
    QCoreApplication::sendPostedEvents();
    menu->actions()[1]->trigger();
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(UpgradeAppTest)
#include "UpgradeAppTest.moc"
