#include "cli/CliUploadWindow.h"

#include <QCoreApplication>

#include "app/UpgradeEvents.h"
#include "cli/CliFrontEnd.h"
#include "upgrade/UpgradeSequence.h"

namespace fwu::cli {

void CliUploadWindow::PostUpgradeProgress(int percent) {
    QCoreApplication::postEvent(this, new UpgradeProgressEvent(WM_UPGRADE_PROGRESS, percent));
}

void CliUploadWindow::ResetPercent() {
    QCoreApplication::postEvent(this, new UpgradeProgressEvent(WM_UPGRADE_PERCENT, 0));
}

void CliUploadWindow::SetStatusText(int, int) {
    // The only status line the worker sets is the flash wait's, which the phase line already names once
    // the percent starts over.
}

void CliUploadWindow::PostUpgradeDone(unsigned result) {
    QCoreApplication::postEvent(this, new UpgradeDoneEvent(result));
}

void CliUploadWindow::PostUpgradeVerdict(const UploadVerdict& verdict) {
    QCoreApplication::postEvent(this, new UpgradeDoneEvent(verdict));
}

void CliUploadWindow::customEvent(QEvent* event) {
    if (sequence == nullptr) {
        QObject::customEvent(event);
    } else if (event->type() == WM_UPGRADE_PROGRESS) {
        sequence->OnProgress(static_cast<UpgradeProgressEvent*>(event)->percent);
    } else if (event->type() == WM_UPGRADE_PERCENT) {
        // The transfer is over: the router writes its flash from here on.
        frontEnd.EnterPhase(Phase::WritingFlash);
        sequence->OnPercentReset(static_cast<UpgradeProgressEvent*>(event)->percent);
    } else if (event->type() == WM_UPGRADE_DONE) {
        const UploadVerdict& verdict = static_cast<UpgradeDoneEvent*>(event)->verdict;
        frontEnd.UploadDone(verdict.result);
        sequence->OnDone(verdict);
    } else {
        QObject::customEvent(event);
    }
}

}  // namespace fwu::cli
