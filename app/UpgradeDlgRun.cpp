// The window's side of the upload and of what follows it: the worker's posts and status line, the progress
// page's figures and failure, and the success page's watch of the router.
#include <QCoreApplication>
#include <QThread>

#include "app/ConfirmationLine.h"
#include "app/StatusText.h"
#include "app/UpgradeDlg.h"
#include "app/UpgradeEvents.h"
#include "res/Latin1.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinLabel.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu {

void CUpgradeDlg::SetStatusText(int stringId, int argument) {
    const QString text = Latin1(FormatStatusText(stringId, argument));
    if (QThread::currentThread() == thread()) {
        ApplyStatusText(text);
        return;
    }
    // The window thread never waits for the worker, so waiting here for the window cannot deadlock.
    QMetaObject::invokeMethod(
        this, [this, text] { ApplyStatusText(text); }, Qt::BlockingQueuedConnection);
}

void CUpgradeDlg::ApplyStatusText(const QString& text) {
    update(statusRect);
    if (progressDisplay) {
        progressDisplay->SetStatusText(text);
    }
}

void CUpgradeDlg::PostUpgradeProgress(int value) {
    QCoreApplication::postEvent(this, new UpgradeProgressEvent(WM_UPGRADE_PROGRESS, value));
}

void CUpgradeDlg::ResetPercent() {
    QCoreApplication::postEvent(this, new UpgradeProgressEvent(WM_UPGRADE_PERCENT, 0));
}

void CUpgradeDlg::PostUpgradeDone(unsigned result) {
    QCoreApplication::postEvent(this, new UpgradeDoneEvent(result));
}

void CUpgradeDlg::PostUpgradeVerdict(const UploadVerdict& verdict) {
    QCoreApplication::postEvent(this, new UpgradeDoneEvent(verdict));
}

void CUpgradeDlg::customEvent(QEvent* event) {
    if (event->type() == WM_UPGRADE_PROGRESS) {
        sequence->OnProgress(static_cast<UpgradeProgressEvent*>(event)->percent);
    } else if (event->type() == WM_UPGRADE_PERCENT) {
        sequence->OnPercentReset(static_cast<UpgradeProgressEvent*>(event)->percent);
    } else if (event->type() == WM_UPGRADE_DONE) {
        sequence->OnDone(static_cast<UpgradeDoneEvent*>(event)->verdict);
    } else {
        QDialog::customEvent(event);
    }
}

int CUpgradeDlg::ShowProgress(int newPercent) {
    // The figure shows the percent as posted, the bar at most 100.
    return progressDisplay ? progressDisplay->ShowMessage(newPercent, Latin1(FormatPercentText(newPercent)))
                           : newPercent;
}

void CUpgradeDlg::SetShownPercent(int newPercent) {
    // Shown from the next paint on; the strips already drawn stay until the next message.
    if (progressDisplay) {
        progressDisplay->SetBarPercent(newPercent);
    }
}

void CUpgradeDlg::ShowUploadFailure(const UploadVerdict&, const std::string& causeText) {
    if (progressDisplay) {
        progressDisplay->ShowFailure(Latin1(causeText));
    }
}

void CUpgradeDlg::ShowUploadStarted() {
    if (progressDisplay) {
        progressDisplay->ShowStart(Latin1(statusText), Latin1(percentText));
    }
}

// ---- The success page ----

void CUpgradeDlg::StartConfirmationWatch() {
    const int round = ++watchRound;
    const auto report = [this, round](ConfirmationState state, const std::string& version) {
        // On the watch's thread: the line is changed on this one. The watch is joined before the window
        // goes, and a report still queued then is dropped with the window.
        QMetaObject::invokeMethod(
            this, [this, round, state, version] { OnConfirmationReport(round, state, version); },
            Qt::QueuedConnection);
    };
    confirmationWatch = std::make_unique<ConfirmationWatch>(services.WatchServices(), report, services.Log());
    if (!confirmationWatch->Start(Address().Dotted(), Password(), UtilityVersion())) {
        sequence->ReleaseSleepLock();  // nothing watches the router
        if (confirmationLine) {
            confirmationLine->Clear();  // no watch: nothing is being confirmed, and nothing disproved
        }
    }
}

void CUpgradeDlg::OnConfirmationReport(int round, ConfirmationState state, const std::string& version) {
    if (round != watchRound || !confirmationLine) {
        return;  // from a watch of an earlier success page
    }
    confirmationLine->Show(state, version);
    if (state != ConfirmationState::Watching) {
        sequence->ReleaseSleepLock();  // the watch has ended
    }
    // Another version or no router leads back to the progress page's failure state.
    sequence->OnConfirmation(state, version);
}

void CUpgradeDlg::EndConfirmationWatch() {
    if (confirmationWatch) {
        confirmationWatch->Stop();
    }
    confirmationWatch.reset();  // at most a probe or query under way is waited for
    confirmationLine.reset();
}

CSkinLabel* CUpgradeDlg::ConfirmationLabel() const {
    return confirmationLine ? confirmationLine->Label() : nullptr;
}

}  // namespace fwu
