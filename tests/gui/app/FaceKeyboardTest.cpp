// The window worked with the keyboard alone, and read through its accessible interfaces: key events and
// accessible actions only, fake router services, recorded message boxes.
#include <QAccessible>
#include <QApplication>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/FaceKeyboard.h"
#include "app/UpgradeDlg.h"
#include "res/StringTable.h"
#include "tests/gui/app/support/FakeServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"
#include "ui/ButtonSlot.h"
#include "ui/EditEx.h"
#include "ui/ImageButtons.h"
#include "ui/LoginFields.h"
#include "ui/ProgressDisplay.h"
#include "ui/RangeEdit.h"
#include "ui/SkinLabel.h"

using namespace fwu;
using fwu::testing::FakeServices;
using fwu::testing::RecordingDialogServices;

namespace {

struct Rig {
    FakeServices services;
    RecordingDialogServices boxes;
    std::unique_ptr<CUpgradeDlg> dialog;

    Rig() {
        dialog = std::make_unique<CUpgradeDlg>(services, boxes.Services());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
    }
    CUpgradeDlg& d() { return *dialog; }

    // A key as the keyboard sends it: to the widget with the focus; then the queued presses run.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : dialog.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCoreApplication::sendPostedEvents();
    }
    void Alt(int key) { Key(key, Qt::AltModifier); }
    void Done(unsigned result) {
        services.uploadWindow->PostUpgradeVerdict(VerdictOfResult(result));
        QCoreApplication::sendPostedEvents();
    }
    QString Focused() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // The names met by pressing Tab `count` times from where the focus is.
    QStringList TabWalk(int count) {
        QStringList names;
        for (int i = 0; i < count; ++i) {
            Key(Qt::Key_Tab);
            names << Focused();
        }
        return names;
    }
};

bool Closed(const CUpgradeDlg& dialog) {
    return !dialog.isVisible() && dialog.result() == QDialog::Rejected;
}

}  // namespace

class FaceKeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void wholeRoadByKeys();
    void acceleratorsPerPage_data();
    void acceleratorsPerPage();
    void keysIgnoredWhileRouterChecked();
    void accessibleTreeOfEveryPage();
};

void FaceKeyboardTest::wholeRoadByKeys() {
    Rig rig;
    CUpgradeDlg& d = rig.d();
    // Welcome: no button marked and Enter ends nothing until the focus is moved to one.
    QCOMPARE(rig.Focused(), QString());
    rig.Key(Qt::Key_Return);
    QCOMPARE(d.Page(), 0);
    const QImage unmarked = d.grab().toImage();
    QCOMPARE(rig.TabWalk(4), QStringList({"buttonSlot1", "buttonSlot2", "buttonSlot3", "buttonSlot1"}));
    // The focus mark is painted on the focused plate only.
    const QImage marked = d.grab().toImage();
    QVERIFY(marked.copy(ButtonRect(BTN_FORWARD)) != unmarked.copy(ButtonRect(BTN_FORWARD)));
    QCOMPARE(marked.copy(ButtonRect(BTN_SECOND)), unmarked.copy(ButtonRect(BTN_SECOND)));
    rig.Key(Qt::Key_Space);
    QCOMPARE(d.Page(), 1);

    // Login: the fields first, then the three buttons.
    QCOMPARE(rig.Focused(), QStringLiteral("passwordField"));
    QCOMPARE(rig.TabWalk(8), QStringList({"octetField1", "octetField2", "octetField3", "octetField4",
                                          "buttonSlot1", "buttonSlot2", "buttonSlot3", "passwordField"}));
    rig.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(rig.Focused(), QStringLiteral("buttonSlot3"));
    rig.Key(Qt::Key_Tab);
    d.Login()->OctetField(1)->setFocus();
    rig.Key(Qt::Key_Return);  // Enter in an octet field does nothing
    QCOMPARE(d.Page(), 1);
    d.Login()->PasswordField()->setFocus();
    rig.Key(Qt::Key_Enter);  // Enter in the password field is Next
    QCOMPARE(rig.services.checks.size(), std::size_t{1});
    QCOMPARE(d.Page(), 2);
    QCOMPARE(rig.Focused(), QString());  // the field went with its page; no button is marked

    // Verify: Upgrade from anywhere; the progress page skips its blank plate and ignores every key.
    rig.Alt(Qt::Key_U);
    QCOMPARE(d.Page(), 3);
    QVERIFY(d.Busy());
    QVERIFY(d.Keyboard()->Slot(BTN_FORWARD)->isHidden());
    const QStringList walk = rig.TabWalk(3);
    QVERIFY2(!walk.contains("buttonSlot1"), qPrintable(walk.join(',')));
    for (const int key : {Qt::Key_R, Qt::Key_X, Qt::Key_N, Qt::Key_B}) {
        rig.Alt(key);
    }
    d.Keyboard()->Slot(BTN_SECOND)->setFocus();
    rig.Key(Qt::Key_Space);
    rig.Key(Qt::Key_Escape);
    QVERIFY(d.isVisible());
    QCOMPARE(rig.services.starts.size(), std::size_t{1});

    // A failed upload: Retry by Alt+R, then the success page and Exit.
    rig.Done(0);
    rig.Alt(Qt::Key_R);
    QCOMPARE(rig.services.starts.size(), std::size_t{2});
    rig.Done(1);
    QCOMPARE(d.Page(), 4);
    QCOMPARE(rig.Focused(), QStringLiteral("buttonSlot2"));  // Retry's slot, now Exit
    rig.Alt(Qt::Key_X);
    QVERIFY(Closed(d));
}

void FaceKeyboardTest::acceleratorsPerPage_data() {
    QTest::addColumn<int>("page");  // reached by keys from the welcome page
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("pageAfter");  // -1: the window closed
    QTest::newRow("welcome Alt+X is Exit") << 0 << int(Qt::Key_X) << -1;
    QTest::newRow("welcome Alt+U nothing") << 0 << int(Qt::Key_U) << 0;
    QTest::newRow("login Alt+B back") << 1 << int(Qt::Key_B) << 0;
    QTest::newRow("login Alt+X close button") << 1 << int(Qt::Key_X) << -1;
    QTest::newRow("verify Alt+N nothing") << 2 << int(Qt::Key_N) << 2;
    QTest::newRow("verify Alt+B back") << 2 << int(Qt::Key_B) << 1;
    QTest::newRow("verify Enter on Upgrade") << 2 << int(Qt::Key_Enter) << 3;
}

void FaceKeyboardTest::acceleratorsPerPage() {
    QFETCH(int, page);
    QFETCH(int, key);
    QFETCH(int, pageAfter);
    Rig rig;
    for (int i = 0; i < page; ++i) {
        rig.Alt(Qt::Key_N);
    }
    QCOMPARE(rig.d().Page(), page);
    if (key == Qt::Key_Enter) {
        rig.d().Keyboard()->Slot(BTN_FORWARD)->setFocus();
        rig.Key(key);
    } else {
        rig.Alt(key);
    }
    if (pageAfter < 0) {
        QVERIFY(Closed(rig.d()));
    } else {
        QCOMPARE(rig.d().Page(), pageAfter);
    }
}

void FaceKeyboardTest::keysIgnoredWhileRouterChecked() {
    Rig rig;
    CUpgradeDlg& d = rig.d();
    rig.Alt(Qt::Key_N);
    rig.services.HoldChecks();
    bool checking = false;
    QTimer::singleShot(50, &d, [&] {
        checking = d.CheckingRouter();
        rig.Alt(Qt::Key_B);
        rig.Alt(Qt::Key_X);
        rig.Alt(Qt::Key_N);
        d.Keyboard()->Slot(BTN_SECOND)->Press();
        QCoreApplication::sendPostedEvents();
        rig.services.ReleaseChecks();
    });
    rig.Alt(Qt::Key_N);
    QVERIFY(checking);
    QCOMPARE(rig.services.checks.size(), std::size_t{1});
    QCOMPARE(d.Page(), 2);
    QVERIFY(d.isVisible());
}

void FaceKeyboardTest::accessibleTreeOfEveryPage() {
    Rig rig;
    CUpgradeDlg& d = rig.d();
    rig.services.routerVersion = "v1.50.00";
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&d);
    QVERIFY(window != nullptr);
    QCOMPARE(window->role(), QAccessible::Dialog);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Firmware Upgrade Utility"));

    // Each page's children as role and name (and value, where it differs from the name).
    const auto tree = [&] {
        QStringList items;
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface* child = window->child(i);
            QString item = QStringLiteral("%1:%2").arg(child->role()).arg(child->text(QAccessible::Name));
            const QString value = child->text(QAccessible::Value);
            if (!value.isEmpty() && value != child->text(QAccessible::Name)) {
                item += "=" + value;
            }
            items << item;
        }
        return items;
    };
    const QString text = QString::number(QAccessible::StaticText) + ":";
    const QString edit = QString::number(QAccessible::EditableText) + ":";
    const QString button = QString::number(QAccessible::Button) + ":";
    const QStringList header{text + "Torvane ZPR8800N", text + "Firmware Ver.: v2.00.22"};
    QCOMPARE(tree(),
             (header + QStringList{text + "Release Date=NOV 27,2006", text + "Firmware Date=NOV 27, 2006",
                                   button + "Next", button + "Exit", button + "Close"}));
    QVERIFY(window->text(QAccessible::Description).startsWith("Welcome."));

    // The press action works the button as the mouse does.
    window->child(window->childCount() - 3)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(d.Page(), 1);
    QVERIFY(window->text(QAccessible::Description).startsWith("Enter the Router's IP Address"));
    const QString octet = edit + "Router's IP Address, part ";
    QCOMPARE(tree(), (header + QStringList{edit + "Router's Password=*****", octet + "1=192", octet + "2=168",
                                           octet + "3=1", octet + "4=1", text, button + "Next",
                                           button + "Back", button + "Close"}));

    rig.Alt(Qt::Key_N);
    QCOMPARE(tree(),
             (header + QStringList{text + "Model=ZPR8800N", text + "Current firmware version=v1.50.00",
                                   text + "Upgrade firmware version=v2.00.22",
                                   text + "Router's IP Address=192.168.1.1", button + "Upgrade",
                                   button + "Back", button + "Close"}));

    rig.Alt(Qt::Key_U);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(d.Progress()->Bar());
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QVERIFY(tree().contains(QString::number(QAccessible::ProgressBar) + ":Upgrade progress=0%"));
    QVERIFY(tree().mid(tree().size() - 2) ==
            QStringList({button + "Retry", button + "Close"}));  // no blank plate
    rig.services.uploadWindow->PostUpgradeProgress({42});
    rig.services.uploadWindow->PostStatusText(IDS_WRITING_FLASH);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), 42);
    QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 100);
    QCOMPARE(bar->text(QAccessible::Description), d.Progress()->StatusText());
    QCOMPARE(QAccessible::queryAccessibleInterface(d.Progress()->StatusLabel())->text(QAccessible::Name),
             QStringLiteral("Writing to the Flash... please wait a moment..."));

    rig.Done(1);
    QCOMPARE(tree(), (header + QStringList{text + "Router's version after the restart", button + "Exit",
                                           button + "Close"}));
    QVERIFY(window->text(QAccessible::Description).startsWith("Congratulations."));
}

QTEST_MAIN(FaceKeyboardTest)
#include "FaceKeyboardTest.moc"
