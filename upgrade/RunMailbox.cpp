#include "upgrade/RunMailbox.h"

#include <QCoreApplication>
#include <utility>

namespace fwu {
namespace {

// One queued message with its values; only the fields of its type are read.
class RunEvent final : public QEvent {
public:
    explicit RunEvent(QEvent::Type type) : QEvent(type) {}
    UploadProgress progress;
    int stringId = 0;
    UploadVerdict verdict;
    int round = 0;
    ConfirmationState state = ConfirmationState::Watching;
    std::string version;
    platform::SleepLockTaken sleep;
};

}  // namespace

void RunMailbox::PostUpgradeProgress(const UploadProgress& progress) {
    auto* event = new RunEvent(WM_UPGRADE_PROGRESS);
    event->progress = progress;
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::ResetPercent(std::uint64_t bodyBytes) {
    auto* event = new RunEvent(WM_UPGRADE_PERCENT);
    event->progress = {0, bodyBytes};
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::PostStatusText(int stringId) {
    auto* event = new RunEvent(WM_UPGRADE_STATUS);
    event->stringId = stringId;
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::PostUpgradeVerdict(const UploadVerdict& verdict) {
    auto* event = new RunEvent(WM_UPGRADE_DONE);
    event->verdict = verdict;
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::PostConfirmation(int round, ConfirmationState state, const std::string& version) {
    auto* event = new RunEvent(WM_UPGRADE_CONFIRMATION);
    event->round = round;
    event->state = state;
    event->version = version;
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::PostSleepLock(platform::SleepLockTaken taken) {
    auto* event = new RunEvent(WM_SLEEP_LOCK);
    event->sleep = std::move(taken);
    QCoreApplication::postEvent(this, event);
}

void RunMailbox::customEvent(QEvent* event) {
    auto* message = static_cast<RunEvent*>(event);
    const QEvent::Type type = event->type();
    if (type == WM_UPGRADE_PROGRESS) {
        receiver.OnProgress(message->progress);
    } else if (type == WM_UPGRADE_PERCENT) {
        receiver.OnPercentReset(message->progress.bodyBytes);
    } else if (type == WM_UPGRADE_STATUS) {
        receiver.OnStatusText(message->stringId);
    } else if (type == WM_UPGRADE_DONE) {
        receiver.OnDone(message->verdict);
    } else if (type == WM_UPGRADE_CONFIRMATION) {
        receiver.OnConfirmation(message->round, message->state, message->version);
    } else if (type == WM_SLEEP_LOCK) {
        receiver.OnSleepLock(message->sleep);
    } else {
        QObject::customEvent(event);
    }
}

}  // namespace fwu
