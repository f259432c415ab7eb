#include "tools/walkthrough/WalkDriver.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QtTest/QTest>

#include "app/UpgradeDlg.h"
#include "ui/ImageButtons.h"
#include "ui/ProgressDisplay.h"

namespace fwu::walk {

void PressButton(CUpgradeDlg& dialog, FaceSlot slot) {
    const QPoint centre = ButtonRect(slot).center();
    QTest::mouseMove(&dialog, centre);
    QTest::mousePress(&dialog, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(&dialog, Qt::LeftButton, Qt::NoModifier, centre);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

bool WaitForPage(const CUpgradeDlg& dialog, int page, int timeoutMs) {
    return WaitUntil([&] { return !dialog.isVisible() || dialog.Page() == page; }, timeoutMs) &&
           dialog.isVisible();
}

bool WaitWhileBusy(const CUpgradeDlg& dialog, int timeoutMs) {
    return WaitUntil([&] { return !dialog.Busy(); }, timeoutMs);
}

QString ProgressStatus(const CUpgradeDlg& dialog) {
    return dialog.Progress() != nullptr ? dialog.Progress()->StatusText() : QString();
}

void TypeInto(QWidget* field, const QString& text) {
    // Selected as a user's double-click would: the octet fields' key filter swallows Ctrl+A.
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
    }
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Delete);
        return;
    }
    QTest::keyClicks(field, text);
}

bool SaveWindowPng(QWidget& window, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    return window.grab().save(path, "PNG");
}

}  // namespace fwu::walk
