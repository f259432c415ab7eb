// The main window driven as a user and the upload worker would drive it: real mouse and key events,
// posted worker messages, fake router services and recorded message boxes.
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

#include "app/UpgradeDlg.h"
#include "app/WindowShape.h"
#include "res/StringTable.h"
#include "tests/gui/app/support/FaceMouse.h"
#include "tests/gui/app/support/FakeServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"
#include "ui/EditEx.h"
#include "ui/LoginFields.h"
#include "ui/ProgressDisplay.h"
#include "ui/RangeEdit.h"
#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"
#include "upgrade/FailureText.h"

using namespace fwu;
using fwu::testing::FakeServices;
using fwu::testing::RecordingDialogServices;
using namespace fwu::testing;  // the face's slots and clicks

namespace {

struct Rig {
    FakeServices services;
    RecordingDialogServices boxes;
    std::unique_ptr<CUpgradeDlg> dialog;

    void Open() {
        dialog = std::make_unique<CUpgradeDlg>(services, boxes.Services());
        dialog->show();
    }
    CUpgradeDlg& d() { return *dialog; }
};

// The run's mailbox and the window's queued presses deliver what was posted.
void Deliver(CUpgradeDlg&) {
    QCoreApplication::sendPostedEvents();
}

CSkinLabel* Label(QWidget& window, const char* name) {
    return window.findChild<CSkinLabel*>(QLatin1String(name));
}

bool Closed(const CUpgradeDlg& dialog) {
    return !dialog.isVisible() && dialog.result() == QDialog::Rejected;
}

// Walks from the welcome page to the progress page with the router check succeeding.
void WalkToProgress(Rig& rig) {
    Click(rig.d(), kNext);  // login
    Click(rig.d(), kNext);  // check, verify page
    Click(rig.d(), kNext);  // Upgrade
}

}  // namespace

class UpgradeDlgTest : public QObject {
    Q_OBJECT

private slots:
    void startsOnWelcomePage();
    void walksTheWholeRoad();
    void failedCheckKeepsLoginPage();
    void windowLivesWhileRouterIsChecked();
    void damagedImageSendsNothing();
    void windowWaitsForWorkerBeforeItGoes();
    void downgradeQuestion_data();
    void downgradeQuestion();
    void failedStartOffersRetryAtOnce();
    void failedUpgradeShowsItsCause();
    void checkPassedWithoutVersionShowsUnknown();
    void closingAsksToStopTheTransfer();
    void doneIgnoredWhenNotBusy();
    void busyBlocksEveryWayOut();
    void enterDoesNothingEscapeEnds();
    void progressMessagesAdvanceDisplay();
    void statusTextFromWorkerThread();
    void hoverAndHeldHighlight();
    void dragMovesWindowFieldsDoNot();
    void rendersEveryPage();
};

void UpgradeDlgTest::startsOnWelcomePage() {
    Rig rig;
    rig.services.gateway = "10.0.0.138";
    rig.services.gatewayMessages = {"No adapter information exists for the local computer"};
    rig.Open();
    CUpgradeDlg& d = rig.d();

    QCOMPARE(d.Page(), 0);
    QCOMPARE(rig.services.gatewayLookups, 1);
    QCOMPARE(rig.boxes.messages, rig.services.gatewayMessages);
    QCOMPARE(d.Address().Dotted(), std::string("10.0.0.138"));
    QCOMPARE(d.windowTitle(), QStringLiteral("Firmware Upgrade Utility"));
    QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(d.size(), QSize(560, 420));
    QCOMPARE(d.mask(), WindowOutline(QSize(560, 420)));
    QCOMPARE(d.mask().boundingRect(), QRect(5, 5, 550, 410));

    struct Title {
        CSkinLabel* label;
        QString text;
        QRect rect;
    };
    for (const Title& t : {Title{d.ModelTitle(), "Torvane ZPR8800N", QRect(40, 138, 250, 40)},
                           Title{d.VersionTitle(), "Firmware Ver.: v2.00.22", QRect(210, 138, 250, 40)}}) {
        QCOMPARE(t.label->Text(), t.text);
        QCOMPARE(t.label->geometry(), t.rect);
        QCOMPARE(t.label->TextColor(), QColor(245, 245, 245));
        QCOMPARE(t.label->LabelFont().pixelSize(), 14);
        QVERIFY(t.label->LabelFont().bold());
        QCOMPARE(t.label->LabelFont().family(), QStringLiteral("Tahoma"));
    }
    QCOMPARE(Label(d, "releaseDateLabel")->Text(), QStringLiteral("NOV 27,2006"));
    QCOMPARE(Label(d, "releaseDateLabel")->geometry(), QRect(140, 255, 120, 17));
    QCOMPARE(Label(d, "firmwareDateLabel")->Text(), QStringLiteral("NOV 27, 2006"));
    QCOMPARE(Label(d, "firmwareDateLabel")->geometry(), QRect(140, 272, 120, 18));
    QCOMPARE(Label(d, "firmwareDateLabel")->TextColor(), QColor(75, 75, 75));
}

void UpgradeDlgTest::walksTheWholeRoad() {
    Rig rig;
    rig.services.gateway = "10.0.0.138";
    rig.Open();
    CUpgradeDlg& d = rig.d();

    Click(d, kNext);
    QCOMPARE(d.Page(), 1);
    QVERIFY(Label(d, "releaseDateLabel") == nullptr);
    QVERIFY(d.Login() != nullptr);
    QCOMPARE(d.Login()->OctetTexts(), (std::array<std::string, 4>{"10", "0", "0", "138"}));
    QCOMPARE(d.Login()->PasswordText(), std::string("rodel"));

    d.Login()->PasswordField()->setText("secret");
    d.Login()->OctetField(3)->setText("");
    rig.services.routerVersion = "v1.50.00";
    Click(d, kNext);
    QCOMPARE(d.Page(), 2);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!d.CheckingRouter());
    QCOMPARE(rig.services.checks.size(), std::size_t{1});
    QCOMPARE(rig.services.checks[0].credential, std::string("OnNlY3JldA=="));  // ":secret"
    QCOMPARE(rig.services.checks[0].address.Dotted(), std::string("10.0.0.0"));
    QCOMPARE(Label(d, "modelLabel")->Text(), QStringLiteral("ZPR8800N"));
    QCOMPARE(Label(d, "routerVersionLabel")->Text(), QStringLiteral("v1.50.00"));
    QCOMPARE(Label(d, "utilityVersionLabel")->Text(), QStringLiteral("v2.00.22"));
    QCOMPARE(Label(d, "routerAddressLabel")->Text(), QStringLiteral("10.0.0.0"));
    QCOMPARE(Label(d, "routerAddressLabel")->geometry(), QRect(190, 308, 170, 17));

    // Back shows the octets and the password as stored, not the proposal split again.
    Click(d, kSecond);
    QCOMPARE(d.Page(), 1);
    QVERIFY(Label(d, "modelLabel") == nullptr);
    QCOMPARE(d.Login()->OctetTexts(), (std::array<std::string, 4>{"10", "0", "0", "0"}));
    QCOMPARE(d.Login()->PasswordText(), std::string("secret"));
    Click(d, kNext);
    QCOMPARE(d.Page(), 2);
    QVERIFY(d.Login() == nullptr);

    Click(d, kNext);
    QCOMPARE(d.Page(), 3);
    QVERIFY(rig.boxes.questions.empty());
    QVERIFY(d.Busy());
    QVERIFY(d.ProgressBarShown());
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
    const UploadTarget& sent = rig.services.starts[0];
    QCOMPARE(sent.address.Dotted(), std::string("10.0.0.0"));
    QCOMPARE(sent.credential, std::string("OnNlY3JldA=="));
    QCOMPARE(d.Progress()->StatusText(), QStringLiteral("Upgrading..."));
    QCOMPARE(d.Progress()->PercentText(), QStringLiteral("1%"));

    rig.services.uploadWindow->PostUpgradeProgress({100});
    rig.services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(1));
    Deliver(d);
    QCOMPARE(rig.boxes.pauses, std::vector<int>{1000});
    QCOMPARE(d.Page(), 4);
    QVERIFY(!d.Busy());
    QCOMPARE(d.Percent(), 0);
    QVERIFY(!d.ProgressBarShown());
    QVERIFY(d.Progress() == nullptr);

    Click(d, kNext);  // the blank plate
    QCOMPARE(d.Page(), 4);
    QVERIFY(d.isVisible());
    Click(d, kSecond);  // Exit
    QVERIFY(Closed(d));
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
}

void UpgradeDlgTest::failedCheckKeepsLoginPage() {
    Rig rig;
    rig.services.checkResult = false;
    rig.services.checkReason = RouterCheckReason::PingNotAllowed;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    Click(d, kNext);
    d.Login()->OctetField(0)->setText("172");
    d.Login()->PasswordField()->setText("wrong");

    Click(d, kNext);
    QCOMPARE(d.Page(), 1);
    QCOMPARE(rig.boxes.errors, std::vector<int>{IDS_ROUTER_NOT_FOUND});
    // The box's second line names what was seen, and how an administrator allows pings.
    QCOMPARE(rig.boxes.errorDetails.size(), std::size_t{1});
    QVERIFY(rig.boxes.errorDetails[0].find("ping_group_range") != std::string::npos);
    QCOMPARE(d.Login()->OctetTexts(), (std::array<std::string, 4>{"172", "168", "1", "1"}));
    QCOMPARE(d.Login()->PasswordText(), std::string("wrong"));
    QCOMPARE(d.Login()->StatusLabel()->Text(), QString());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    rig.services.checkResult = true;
    Click(d, kNext);
    QCOMPARE(d.Page(), 2);
    QCOMPARE(rig.boxes.errors.size(), std::size_t{1});
}

void UpgradeDlgTest::windowLivesWhileRouterIsChecked() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    Click(d, kNext);

    // Paints of the window while the check is under way.
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    d.installEventFilter(&counter);

    bool waitCursor = false;
    bool checking = false;
    QString status;
    int paintsDuringCheck = 0;
    QElapsedTimer held;
    rig.services.HoldChecks();
    QTimer::singleShot(0, &d, [&] {
        waitCursor =
            QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        checking = d.CheckingRouter();
        status = d.Login()->StatusLabel()->Text();
        // Every way on or out is ignored while the check runs.
        Click(d, kNext);
        Click(d, kSecond);
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.close());
        d.reject();
        d.update();
        held.start();
    });
    QTimer::singleShot(200, &d, [&] {
        paintsDuringCheck = counter.paints;
        rig.services.ReleaseChecks();
    });
    Click(d, kNext);

    QVERIFY(held.isValid());
    QVERIFY(waitCursor);
    QVERIFY(checking);
    QCOMPARE(status, QStringLiteral("Check Router Information, Please Wait..."));
    QVERIFY(paintsDuringCheck > 0);
    QCOMPARE(rig.services.checks.size(), std::size_t{1});
    QCOMPARE(d.Page(), 2);
    QVERIFY(d.isVisible());
    QVERIFY(!d.CheckingRouter());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    d.removeEventFilter(&counter);
}

void UpgradeDlgTest::damagedImageSendsNothing() {
    Rig rig;
    rig.services.routerVersion = "v3.00.00";  // a downgrade: the question would come next
    rig.services.imageIntact = false;
    rig.boxes.answers = {true, true};
    rig.Open();
    CUpgradeDlg& d = rig.d();
    Click(d, kNext);
    Click(d, kNext);
    QCOMPARE(d.Page(), 2);

    Click(d, kNext);  // Upgrade
    QCOMPARE(d.Page(), 2);
    QCOMPARE(rig.boxes.errors, std::vector<int>{IDS_IMAGE_DAMAGED});
    QCOMPARE(QString::fromLatin1(LoadString(IDS_IMAGE_DAMAGED).data()),
             QStringLiteral("This program's firmware image is damaged; nothing was sent to the router."));
    QVERIFY(rig.boxes.questions.empty());
    QVERIFY(rig.services.starts.empty());
    QVERIFY(!d.Busy());

    // The image reads whole again: the upload starts and fails; Retry with the image damaged sends nothing.
    rig.services.imageIntact = true;
    rig.services.startResult = false;
    Click(d, kNext);
    QCOMPARE(d.Page(), 3);
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
    rig.services.imageIntact = false;
    Click(d, kSecond);
    QCOMPARE(d.Page(), 3);
    QCOMPARE(rig.boxes.errors, (std::vector<int>{IDS_IMAGE_DAMAGED, IDS_IMAGE_DAMAGED}));
    QCOMPARE(rig.boxes.questions, std::vector<int>{IDS_ASK_DOWNGRADE});
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
}

void UpgradeDlgTest::windowWaitsForWorkerBeforeItGoes() {
    Rig rig;
    std::atomic<bool> statusTaken{false};
    rig.services.worker = [&statusTaken](UploadWindow& window) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        window.PostStatusText(IDS_WRITING_FLASH);
        statusTaken = true;
        window.PostUpgradeVerdict(VerdictOfResult(1));
    };
    rig.Open();
    WalkToProgress(rig);
    QVERIFY(rig.d().Busy());

    rig.dialog.reset();  // while the upload runs
    QVERIFY(statusTaken.load());
    QVERIFY(!rig.services.UploadRunning());
}

void UpgradeDlgTest::downgradeQuestion_data() {
    QTest::addColumn<QString>("routerVersion");  // "-": the router gave none
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("started");

    QTest::newRow("no version") << "-" << false << false << true;
    QTest::newRow("same") << "v2.00.22" << false << false << true;
    QTest::newRow("older") << "v1.99.99" << false << false << true;
    QTest::newRow("newer, No") << "v2.00.23" << false << true << false;
    QTest::newRow("newer, Yes") << "v2.00.23" << true << true << true;
}

void UpgradeDlgTest::downgradeQuestion() {
    QFETCH(QString, routerVersion);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, started);

    Rig rig;
    if (routerVersion == "-") {
        rig.services.routerVersion.reset();
    } else {
        rig.services.routerVersion = routerVersion.toStdString();
    }
    rig.boxes.answers = {answer};
    rig.Open();
    WalkToProgress(rig);

    QCOMPARE(rig.boxes.questions, asked ? std::vector<int>{IDS_ASK_DOWNGRADE} : std::vector<int>{});
    QCOMPARE(rig.services.starts.size(), std::size_t{started ? 1u : 0u});
    QCOMPARE(rig.d().Busy(), started);
    QCOMPARE(Closed(rig.d()), !started);
}

void UpgradeDlgTest::failedStartOffersRetryAtOnce() {
    Rig rig;
    rig.services.routerVersion = "v3.00.00";
    rig.services.startResult = false;
    rig.boxes.answers = {true, true, true};
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);

    QCOMPARE(d.Page(), 3);
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
    QVERIFY(!d.Busy());
    QVERIFY(rig.boxes.pauses.empty());
    QCOMPARE(d.Progress()->ProgressPosition(), 0);

    // Retry asks again with the router version of the last check.
    Click(d, kSecond);
    QCOMPARE(rig.boxes.questions, (std::vector<int>{IDS_ASK_DOWNGRADE, IDS_ASK_DOWNGRADE}));
    QCOMPARE(rig.services.starts.size(), std::size_t{2});
    QVERIFY(!d.Busy());

    rig.services.startResult = true;
    Click(d, kSecond);
    QCOMPARE(rig.services.starts.size(), std::size_t{3});
    QVERIFY(d.Busy());
    QCOMPARE(d.Page(), 3);
}

void UpgradeDlgTest::failedUpgradeShowsItsCause() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    UploadWindow& worker = *rig.services.uploadWindow;
    for (int p = 1; p <= 37; ++p) {
        worker.PostUpgradeProgress({p});
    }
    worker.PostStatusText(IDS_WRITING_FLASH);
    Deliver(d);
    QCOMPARE(d.Progress()->ProgressPosition(), 37);

    UploadVerdict lost;
    lost.outcome = UploadOutcome::LostInTransfer;
    lost.percent = 37;
    worker.PostUpgradeVerdict(lost);
    Deliver(d);
    QCOMPARE(rig.boxes.pauses, std::vector<int>{1000});
    QCOMPARE(d.Page(), 3);
    QVERIFY(!d.Busy());
    // The status line says what happened in the warning colour; the bar is empty and the figure cleared.
    QCOMPARE(d.Progress()->StatusText(),
             QStringLiteral("Connection lost at 37%. The Router keeps its current firmware; click Retry."));
    QVERIFY(d.Progress()->StatusText().contains(QStringLiteral("37%")));
    QCOMPARE(d.Progress()->StatusLabel()->TextColor(), QColor(kWarningRgb));
    QCOMPARE(d.Progress()->PercentText(), QString());
    QCOMPARE(d.Progress()->BarPercent(), 0);
    QCOMPARE(d.Progress()->ProgressPosition(), 0);
    QVERIFY(rig.boxes.errors.empty());
    if (const QString dir = qEnvironmentVariable("FWU_RENDER_DIR"); !dir.isEmpty() && QDir().mkpath(dir)) {
        d.grab().save(QDir(dir).filePath(QStringLiteral("app-failure.png")));
    }

    Click(d, kSecond);  // Retry: the status line starts over, whatever the last run left there
    QCOMPARE(rig.services.starts.size(), std::size_t{2});
    QVERIFY(d.Busy());
    QCOMPARE(d.Progress()->StatusText(), QStringLiteral("Upgrading..."));
    QCOMPARE(d.Progress()->StatusLabel()->TextColor(), QColor(kStatusRgb));
    QCOMPARE(d.Progress()->PercentText(), QStringLiteral("1%"));
}

void UpgradeDlgTest::checkPassedWithoutVersionShowsUnknown() {
    // Each reason drawn whole inside the label, smaller than the page's 15 pixels but not below 10, and
    // told whole to screen readers.
    const struct {
        RouterCheckReason reason;
        const char* text;
    } cases[] = {
        {RouterCheckReason::NoAnswerInTime, "unknown (no answer in time)"},
        {RouterCheckReason::NoVersionField, "unknown (no version shown)"},
        {RouterCheckReason::ConnectionFailed, "unknown (no connection)"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.services.routerVersion = std::nullopt;
        rig.services.checkReason = c.reason;
        rig.Open();
        CUpgradeDlg& d = rig.d();
        Click(d, kNext);
        Click(d, kNext);
        QCOMPARE(d.Page(), 2);
        CSkinLabel* label = Label(d, "routerVersionLabel");
        QCOMPARE(label->Text(), QLatin1String(c.text));
        QVERIFY2(label->DrawnFontPixels() >= 10 && label->DrawnFontPixels() < 15, c.text);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description),
                 QLatin1String(c.text));
        QCOMPARE(d.RouterVersion(), std::string());  // what the comparison gets
        if (qEnvironmentVariableIsSet("FWU_SHOT_DIR") && c.reason == RouterCheckReason::NoAnswerInTime) {
            d.grab().save(qEnvironmentVariable("FWU_SHOT_DIR") + "/page-2-unknown.png");
        }
    }
}

void UpgradeDlgTest::closingAsksToStopTheTransfer() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    const std::vector<int> asked{IDS_ASK_STOP};

    // No: the transfer goes on. Every way out asks the same question.
    rig.boxes.answers = {false, false, false};
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(rig.boxes.questions, asked);
    QVERIFY(!d.close());
    Click(d, kClose);
    QCOMPARE(rig.boxes.questions, (std::vector<int>{IDS_ASK_STOP, IDS_ASK_STOP, IDS_ASK_STOP}));
    QCOMPARE(rig.services.stops, 0);
    QVERIFY(d.Busy());
    QVERIFY(d.isVisible());

    // Yes: the worker is told to stop, and its verdict offers Retry with the stop said.
    rig.boxes.answers = {true};
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(rig.services.stops, 1);
    QVERIFY(d.isVisible());
    UploadVerdict stopped;
    stopped.outcome = UploadOutcome::Stopped;
    rig.services.uploadWindow->PostUpgradeVerdict(stopped);
    Deliver(d);
    QVERIFY(!d.Busy());
    QCOMPARE(d.Page(), 3);
    QCOMPARE(d.Progress()->StatusText(), QString::fromLatin1(LoadString(IDS_FAIL_STOPPED).data()));

    // The flash wait: closing stays refused without a question, and the status line says why.
    Click(d, kSecond);  // Retry
    QVERIFY(d.Busy());
    rig.services.stoppable = false;
    rig.boxes.questions.clear();
    QVERIFY(!d.close());
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(rig.boxes.questions.empty());
    QCOMPARE(rig.services.stops, 1);
    QCOMPARE(d.Progress()->StatusText(), QString::fromLatin1(LoadString(IDS_STOP_REFUSED).data()));
    QVERIFY(d.isVisible());
}

void UpgradeDlgTest::doneIgnoredWhenNotBusy() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    UploadWindow& worker = *rig.services.uploadWindow;
    worker.PostUpgradeVerdict(VerdictOfResult(0));
    Deliver(d);
    QCOMPARE(rig.boxes.pauses, std::vector<int>{1000});
    // A second verdict, with no upload running, changes nothing.
    worker.PostUpgradeVerdict(VerdictOfResult(1));
    Deliver(d);
    QCOMPARE(d.Page(), 3);
    QCOMPARE(rig.boxes.pauses, std::vector<int>{1000});
}

void UpgradeDlgTest::busyBlocksEveryWayOut() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    QVERIFY(d.Busy());
    const QPoint where = d.pos();

    Click(d, kSecond);
    QCOMPARE(rig.services.starts.size(), std::size_t{1});
    QCOMPARE(d.HotButton(), FaceSlot::None);
    Click(d, kClose);
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.close());
    d.reject();
    QVERIFY(d.isVisible());
    Mouse(d, QEvent::MouseButtonPress, kFace, Qt::LeftButton, Qt::LeftButton);
    Mouse(d, QEvent::MouseMove, kFace + QPoint(40, 40), Qt::NoButton, Qt::LeftButton);
    Mouse(d, QEvent::MouseButtonRelease, kFace + QPoint(40, 40), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(d.pos(), where);

    rig.services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(0));
    Deliver(d);
    QVERIFY(!d.Busy());
    QVERIFY(d.close());
    QVERIFY(Closed(d));
}

void UpgradeDlgTest::enterDoesNothingEscapeEnds() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    const auto pressEnter = [&] {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &d;
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    };
    for (int page = 0; page <= 4; ++page) {
        QCOMPARE(d.Page(), page);
        if (page == 1) {
            d.Login()->OctetField(2)->setFocus();  // Enter in the password field is Next (FaceKeyboardTest)
        }
        pressEnter();
        Deliver(d);
        QVERIFY2(d.isVisible(), qPrintable(QStringLiteral("page %1").arg(page)));
        QCOMPARE(d.Page(), page);
        if (page < 3) {
            Click(d, kNext);
        } else if (page == 3) {
            rig.services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(1));
            Deliver(d);
        }
    }
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(Closed(d));
}

void UpgradeDlgTest::progressMessagesAdvanceDisplay() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    UploadWindow& worker = *rig.services.uploadWindow;

    struct Step {
        int stored;
        QString shown;
        int percentAfter;
    };
    int position = 0;
    for (const Step& step : {Step{1, "1%", 1}, Step{10, "10%", 10}, Step{12, "12%", 12},
                             Step{100, "100%", 100}, Step{0, "0%", 0}}) {
        worker.PostUpgradeProgress({step.stored});
        Deliver(d);
        ++position;
        QCOMPARE(d.Progress()->PercentText(), step.shown);
        QCOMPARE(d.Percent(), step.percentAfter);
        QCOMPARE(d.Progress()->BarDrawnCount(), std::max(step.percentAfter, 1));
        QCOMPARE(d.Progress()->BarPercent(), step.percentAfter);
        QCOMPARE(d.Progress()->ProgressPosition(), position);
    }

    // The start over after the transfer changes the percent the bar paints from, and nothing else.
    worker.PostUpgradeProgress({37});
    worker.ResetPercent(0);
    Deliver(d);
    QCOMPARE(d.Percent(), 0);
    QCOMPARE(d.Progress()->BarPercent(), 0);
    QCOMPARE(d.Progress()->BarDrawnCount(), 37);
    QCOMPARE(d.Progress()->PercentText(), QStringLiteral("37%"));
    QCOMPARE(d.Progress()->ProgressPosition(), position + 1);
}

void UpgradeDlgTest::statusTextFromWorkerThread() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    WalkToProgress(rig);
    UploadWindow* worker = rig.services.uploadWindow;

    // The worker posts and goes on: it never waits for the window, which shows the text once it runs.
    std::thread thread([&] { worker->PostStatusText(IDS_WRITING_FLASH); });
    thread.join();
    Deliver(d);
    QCOMPARE(d.Progress()->StatusText(), QStringLiteral("Writing to the Flash... please wait a moment..."));
}

void UpgradeDlgTest::hoverAndHeldHighlight() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();

    struct Hit {
        QPoint at;
        FaceSlot slot;
    };
    for (const Hit& hit :
         {Hit{{440, 280}, BTN_FORWARD}, Hit{{545, 300}, FaceSlot::None}, Hit{{544, 377}, BTN_SECOND},
          Hit{{500, 15}, BTN_CLOSE}, Hit{{300, 200}, FaceSlot::None}}) {
        Mouse(d, QEvent::MouseMove, hit.at, Qt::NoButton, Qt::NoButton);
        QCOMPARE(d.HotButton(), hit.slot);
        QCOMPARE(d.DrawnHotButton(), hit.slot);
    }

    // Pressed on Exit and dragged to Next: the highlight stays on Exit, the release runs Next.
    Mouse(d, QEvent::MouseMove, kSecond, Qt::NoButton, Qt::NoButton);
    Mouse(d, QEvent::MouseButtonPress, kSecond, Qt::LeftButton, Qt::LeftButton);
    Mouse(d, QEvent::MouseMove, kNext, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(d.HotButton(), BTN_FORWARD);
    QCOMPARE(d.DrawnHotButton(), BTN_SECOND);
    const QImage shot = d.grab().toImage();
    const QImage exitLit = *LoadSkinImage(157, kButtonType);
    const QImage nextPlain = *LoadSkinImage(158, kButtonType);
    QVERIFY(exitLit.pixel(52, 24) != LoadSkinImage(156, kButtonType)->pixel(52, 24));
    QVERIFY(nextPlain.pixel(52, 24) != LoadSkinImage(159, kButtonType)->pixel(52, 24));
    QCOMPARE(shot.pixel(kSecond) & 0xFFFFFF, exitLit.pixel(52, 24) & 0xFFFFFF);
    QCOMPARE(shot.pixel(kNext) & 0xFFFFFF, nextPlain.pixel(52, 24) & 0xFFFFFF);
    Mouse(d, QEvent::MouseButtonRelease, kNext, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(d.Page(), 1);

    // With a modifier held along with the left button the highlight follows the mouse.
    Mouse(d, QEvent::MouseMove, kSecond, Qt::NoButton, Qt::NoButton);
    Mouse(d, QEvent::MouseMove, kNext, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(d.DrawnHotButton(), BTN_FORWARD);

    // A right-button release over a slot does nothing.
    Mouse(d, QEvent::MouseButtonRelease, kClose, Qt::RightButton, Qt::NoButton);
    QVERIFY(d.isVisible());
}

void UpgradeDlgTest::dragMovesWindowFieldsDoNot() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    QVERIFY(QTest::qWaitForWindowExposed(&d));

    // On a header label (which takes no mouse input) as on the bare face.
    // Sent to the window, so the platform's routing decides which widget gets the press.
    QWindow* window = d.windowHandle();
    for (const QPoint start : {kFace, QPoint(60, 150)}) {
        const QPoint before = d.pos();
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(window, start + QPoint(30, 20));
        // The window followed the pointer, so the pointer is back over the same window point.
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start);
        QCOMPARE(d.pos(), before + QPoint(30, 20));
    }

    Click(d, kNext);
    const QPoint inField = d.Login()->PasswordField()->geometry().topLeft() + QPoint(5, 5);
    const QPoint before = d.pos();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, inField);
    QTest::mouseMove(window, inField + QPoint(30, 20));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, inField + QPoint(30, 20));
    QCOMPARE(d.pos(), before);
}

namespace {

// What the face must show: frame, page picture, button plates and bar strips at their places.
QImage ExpectedFace(int contentId, std::array<int, 3> buttonIds, int strips) {
    QImage face(560, 420, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    QPainter painter(&face);
    painter.drawImage(0, 0, *LoadSkinImage(151, kFrameType));
    painter.drawImage(20, 176, *LoadSkinImage(contentId, kContentsType));
    const std::array<QPoint, 3> plates{QPoint(440, 280), QPoint(440, 330), QPoint(500, 15)};
    for (std::size_t i = 0; i < plates.size(); ++i) {
        painter.drawImage(plates[i], *LoadSkinImage(buttonIds[i], kButtonType));
    }
    const QImage strip = *LoadSkinImage(171, kBarType);
    for (int k = 1; k <= strips; ++k) {
        painter.drawImage(57 + 3 * k, 312, strip);
    }
    return face;
}

// Pixels inside the window outline, outside every child control (the bar, drawn on the face, is
// compared), that differ from the expectation.
int FaceMismatches(CUpgradeDlg& dialog, const QImage& expected) {
    const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRegion compared = dialog.mask();
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && child != dialog.findChild<StripBar*>()) {
            compared -= child->geometry();
        }
    }
    int mismatches = 0;
    for (const QRect& rect : compared) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                mismatches += (shot.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
            }
        }
    }
    return mismatches;
}

void SaveRendering(CUpgradeDlg& dialog, int page) {
    const QString dir = qEnvironmentVariable("FWU_RENDER_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir)) {
        dialog.grab().save(QDir(dir).filePath(QStringLiteral("app-page-%1.png").arg(page)));
    }
}

}  // namespace

void UpgradeDlgTest::rendersEveryPage() {
    Rig rig;
    rig.Open();
    CUpgradeDlg& d = rig.d();
    QVERIFY(QTest::qWaitForWindowExposed(&d));

    struct PageLook {
        int contentId;
        std::array<int, 3> buttons;  // normal plates of slots 1 to 3
    };
    const std::array<PageLook, 5> looks{{{165, {158, 156, 154}},
                                         {169, {158, 163, 154}},
                                         {167, {162, 163, 154}},
                                         {168, {164, 160, 154}},
                                         {166, {164, 156, 154}}}};
    for (int page = 0; page <= 4; ++page) {
        QCOMPARE(d.Page(), page);
        Mouse(d, QEvent::MouseMove, kFace, Qt::NoButton, Qt::NoButton);  // no plate highlighted
        int strips = 0;
        if (page == 3) {
            rig.services.uploadWindow->PostUpgradeProgress({10});
            Deliver(d);
            strips = 10;
        }
        SaveRendering(d, page);
        QCOMPARE(FaceMismatches(d, ExpectedFace(looks[page].contentId, looks[page].buttons, strips)), 0);

        // The plate under the mouse shows its highlighted picture.
        if (page == 0) {
            Mouse(d, QEvent::MouseMove, kClose, Qt::NoButton, Qt::NoButton);
            QCOMPARE(FaceMismatches(d, ExpectedFace(165, {158, 156, 155}, 0)), 0);
        }
        if (page < 3) {
            Click(d, kNext);
        } else if (page == 3) {
            rig.services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(1));
            Deliver(d);
        }
    }
}

QTEST_MAIN(UpgradeDlgTest)
#include "UpgradeDlgTest.moc"
