#include "upgrade/RunMailbox.h"

#include <utility>

namespace fwu {

void DeliverRunMessage(RunMessage& message, RunMailboxReceiver& receiver) {
    switch (message.kind) {
        case RunMessageKind::Progress:
            receiver.OnProgress(message.progress);
            break;
        case RunMessageKind::Percent:
            receiver.OnPercentReset(message.progress.bodyBytes);
            break;
        case RunMessageKind::Status:
            receiver.OnStatusText(message.stringId);
            break;
        case RunMessageKind::Done:
            receiver.OnDone(message.verdict);
            break;
        case RunMessageKind::Confirmation:
            receiver.OnConfirmation(message.round, message.state, message.version);
            break;
        case RunMessageKind::SleepLock:
            receiver.OnSleepLock(message.sleep);
            break;
    }
}

bool IsRunMessageOffset(long long offset) {
    for (const RunMessageKind kind :
         {RunMessageKind::Done, RunMessageKind::Progress, RunMessageKind::Percent, RunMessageKind::Status,
          RunMessageKind::Confirmation, RunMessageKind::SleepLock}) {
        if (offset == static_cast<long long>(kind)) {
            return true;
        }
    }
    return false;
}

void RunMessageMailbox::PostUpgradeProgress(const UploadProgress& progress) {
    RunMessage message;
    message.kind = RunMessageKind::Progress;
    message.progress = progress;
    Post(std::move(message));
}

void RunMessageMailbox::ResetPercent(std::uint64_t bodyBytes) {
    RunMessage message;
    message.kind = RunMessageKind::Percent;
    message.progress = {0, bodyBytes};
    Post(std::move(message));
}

void RunMessageMailbox::PostStatusText(int stringId) {
    RunMessage message;
    message.kind = RunMessageKind::Status;
    message.stringId = stringId;
    Post(std::move(message));
}

void RunMessageMailbox::PostUpgradeVerdict(const UploadVerdict& verdict) {
    RunMessage message;
    message.kind = RunMessageKind::Done;
    message.verdict = verdict;
    Post(std::move(message));
}

void RunMessageMailbox::PostConfirmation(int round, ConfirmationState state, const std::string& version) {
    RunMessage message;
    message.kind = RunMessageKind::Confirmation;
    message.round = round;
    message.state = state;
    message.version = version;
    Post(std::move(message));
}

void RunMessageMailbox::PostSleepLock(platform::SleepLockTaken taken) {
    RunMessage message;
    message.kind = RunMessageKind::SleepLock;
    message.sleep = std::move(taken);
    Post(std::move(message));
}

void QueuedRunMailbox::Post(RunMessage message) {
    {
        const std::lock_guard lock(mutex);
        queue.push_back(std::move(message));
    }
    posted.notify_one();
}

void QueuedRunMailbox::Wake() {
    {
        const std::lock_guard lock(mutex);
        woken = true;
    }
    posted.notify_one();
}

std::size_t QueuedRunMailbox::Pending() const {
    const std::lock_guard lock(mutex);
    return queue.size();
}

std::size_t QueuedRunMailbox::DeliverFor(RunMailboxReceiver& receiver, std::chrono::milliseconds wait) {
    std::deque<RunMessage> taken;
    {
        std::unique_lock lock(mutex);
        posted.wait_for(lock, wait, [this] { return !queue.empty() || woken; });
        woken = false;
        taken.swap(queue);
    }
    for (RunMessage& message : taken) {
        DeliverRunMessage(message, receiver);
    }
    return taken.size();
}

}  // namespace fwu
