// The scripted walk through the five pages of a real upgrade window: Next, Next, Upgrade, then the
// transfer and the flash wait up to the success page, with a picture of every page on the way (the
// progress page also mid-transfer and while the router writes its flash).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace fwu {
class CUpgradeDlg;
}

namespace fwu::walk {

struct WalkOptions {
    QString pictureDir;                       // where the PNG files go
    std::optional<QString> password;          // typed into the password field when set
    std::function<void(const QString&)> say;  // one line per step; may be empty
    int checkTimeoutMs = 30'000;              // router check (blocks inside the press)
    int uploadTimeoutMs = 300'000;            // transfer and flash wait together
};

struct WalkResult {
    bool reachedDone = false;  // the success page was shown
    QString failure;           // where and why the walk stopped, when it did not reach it
    QStringList pictures;      // the files written, in order
    bool stillBusy = false;    // an upload still ran when the walk gave up
};

// Walks a window that shows its welcome page. Answers to questions and errors come from the window's
// own hooks; the walk only reports what it saw.
WalkResult WalkToSuccess(CUpgradeDlg& dialog, const WalkOptions& options);

}  // namespace fwu::walk
