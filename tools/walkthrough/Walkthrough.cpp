#include "tools/walkthrough/Walkthrough.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QtTest/QTest>
#include <algorithm>

#include "app/UpgradeDlg.h"
#include "tools/walkthrough/WalkDriver.h"
#include "ui/EditEx.h"
#include "ui/ImageButtons.h"
#include "ui/LoginFields.h"
#include "wizard/PageFlow.h"

namespace fwu::walk {
namespace {

constexpr int kPageChangeMs = 5'000;
// The flash picture is taken once this much of the wait has been shown, so the bar is part full.
constexpr int kFlashPicturePercent = 10;
const QString kWritingFlash = QStringLiteral("Writing to the Flash");

class Walk {
public:
    Walk(CUpgradeDlg& dialog, const WalkOptions& options) : dialog(dialog), options(options) {}

    WalkResult Run();

private:
    void Say(const QString& line) {
        if (options.say) {
            options.say(line);
        }
    }
    bool Save(const QString& name, const QPixmap& picture) {
        const QString path = QDir(options.pictureDir).absoluteFilePath(name);
        if (!QDir().mkpath(options.pictureDir) || !picture.save(path, "PNG")) {
            return Fail("cannot write " + path);
        }
        result.pictures.append(path);
        Say("picture: " + path);
        return true;
    }
    bool Shoot(const QString& name) { return Save(name, dialog.grab()); }
    bool Fail(const QString& why) {
        result.failure = why;
        return false;
    }
    bool Press(FaceSlot slot, int page, int timeoutMs, const QString& failure) {
        PressButton(dialog, slot);
        return WaitForPage(dialog, page, timeoutMs) ||
               Fail(dialog.isVisible() ? failure : QStringLiteral("the window ended"));
    }
    bool Writing() const { return ProgressStatus(dialog).startsWith(kWritingFlash); }

    bool ToVerifyPage();
    bool ToProgressPage();
    bool ThroughUpload();

    CUpgradeDlg& dialog;
    const WalkOptions& options;
    WalkResult result;
};

bool Walk::ToVerifyPage() {
    Say("page 0 (welcome)");
    if (!Shoot("page0-welcome.png") ||
        !Press(BTN_FORWARD, PAGE_LOGIN, kPageChangeMs, "Next did not lead to the login page")) {
        return false;
    }
    Say("page 1 (login): router address proposed " + QString::fromStdString(dialog.Address().Dotted()));
    if (options.password && dialog.Login() != nullptr) {
        TypeInto(dialog.Login()->PasswordField(), *options.password);
    }
    if (!Shoot("page1-login.png")) {
        return false;
    }
    Say("checking the router");
    return Press(BTN_FORWARD, PAGE_VERIFY, options.checkTimeoutMs,
                 "the router check failed: the login page stays");
}

bool Walk::ToProgressPage() {
    Say("page 2 (verify): router firmware " + QString::fromStdString(dialog.RouterVersion()) +
        ", this utility's " + QString::fromStdString(dialog.UtilityVersion()));
    if (!Shoot("page2-verify.png") ||
        !Press(BTN_FORWARD, PAGE_PROGRESS, kPageChangeMs, "Upgrade did not lead to the progress page")) {
        return false;
    }
    Say("page 3 (progress)");
    return Shoot("page3-progress.png");
}

bool Walk::ThroughUpload() {
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] {
        return std::max(0, options.uploadTimeoutMs - static_cast<int>(clock.elapsed()));
    };

    // Mid-transfer: some of the image sent, the flash wait not begun. A tiny image may pass this at once.
    WaitUntil([&] { return !dialog.Busy() || Writing() || dialog.Percent() >= 30; }, left());
    if (dialog.Busy() && !Writing() && dialog.Percent() > 0) {
        Say(QString("transfer at %1%").arg(dialog.Percent()));
        if (!Shoot("page3-progress-transfer.png")) {
            return false;
        }
    } else {
        Say("the transfer was over before a picture of it could be taken");
    }

    // The flash wait: the picture is held from the moment the text shows and replaced once the bar has
    // grown, as long as the window still waits.
    WaitUntil([&] { return !dialog.Busy() || Writing(); }, left());
    if (Writing()) {
        QPixmap flash = dialog.grab();
        const auto waiting = [&] { return dialog.Busy() && Writing(); };
        WaitUntil([&] { return !waiting() || dialog.Percent() >= kFlashPicturePercent; }, left());
        if (waiting()) {
            flash = dialog.grab();
        }
        Say("writing to the flash");
        if (!Save("page3-progress-flash.png", flash)) {
            return false;
        }
    }

    if (!WaitWhileBusy(dialog, left())) {
        result.stillBusy = true;
        return Fail("the upload did not end in time");
    }
    if (dialog.Page() != PAGE_DONE) {
        Shoot("page3-retry.png");
        return Fail("the upgrade failed: the progress page offers Retry");
    }
    Say("page 4 (done)");
    return Shoot("page4-done.png");
}

WalkResult Walk::Run() {
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        Fail("the window was not shown");
        return result;
    }
    if (ToVerifyPage() && ToProgressPage() && ThroughUpload()) {
        result.reachedDone = true;
    }
    return result;
}

}  // namespace

WalkResult WalkToSuccess(CUpgradeDlg& dialog, const WalkOptions& options) {
    return Walk(dialog, options).Run();
}

}  // namespace fwu::walk
