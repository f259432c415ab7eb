// The one way from the run's other threads (the upload worker, the watch after the restart, the request
// for the sleep lock) to the run:
// every post carries its values and is handed to the receiver later, on the run's own thread, in the order
// posted. No sender ever waits for the receiving thread.
//
// Three parts:
// - RunMailboxReceiver: what the run is told, on its thread (UpgradeRun implements it);
// - RunMailbox: the posting side the worker and the watch call, from any thread;
// - an implementation of RunMailbox that carries each post as a RunMessage to the run's thread. A window
//   posts the message to its event queue (the message's kind is the offset of its event type from the
//   first user event number: WM_UPGRADE_DONE is the first plus 1, WM_UPGRADE_PROGRESS plus 3) and hands it
//   on with DeliverRunMessage when its loop gets it. A program without a window uses QueuedRunMailbox and
//   pumps it from its own loop:
//
//       QueuedRunMailbox mailbox;
//       UpgradeRun run(services, frontEnd, version, mailbox);
//       ...
//       while (run.Busy()) {
//           mailbox.DeliverFor(run.Receiver(), std::chrono::milliseconds(100));  // then look at signals
//       }
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "platform/SleepLock.h"
#include "transfer/UploadWindow.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu {

// What the mailbox hands on, on its own thread.
class RunMailboxReceiver {
public:
    virtual ~RunMailboxReceiver() = default;
    virtual void OnProgress(const UploadProgress& progress) = 0;
    virtual void OnPercentReset(std::uint64_t bodyBytes) = 0;
    virtual void OnStatusText(int stringId) = 0;
    virtual void OnDone(const UploadVerdict& verdict) = 0;
    // A report of the watch numbered `round` (a late report of an earlier watch can be told apart).
    virtual void OnConfirmation(int round, ConfirmationState state, const std::string& version) = 0;
    // What the request for the sleep lock gave; a lock the receiver does not take closes with the message.
    virtual void OnSleepLock(platform::SleepLockTaken& taken) = 0;
};

// The posting side: the worker's posts (UploadWindow) and the watch's. Every call returns at once.
class RunMailbox : public UploadWindow {
public:
    virtual void PostConfirmation(int round, ConfirmationState state, const std::string& version) = 0;
    virtual void PostSleepLock(platform::SleepLockTaken taken) = 0;
};

// The kinds of message, numbered as offsets from a window system's first user message number.
enum class RunMessageKind {
    Done = 1,      // WM_UPGRADE_DONE
    Progress = 3,  // WM_UPGRADE_PROGRESS
    Percent = 4,
    Status = 5,
    Confirmation = 6,
    SleepLock = 7,
};

// Whether `offset`, a window system's message number less its first user message number, is the number
// of a kind: how each window tells the run's messages from its own.
bool IsRunMessageOffset(long long offset);

// One post with its values; only the fields of its kind are read.
struct RunMessage {
    RunMessageKind kind = RunMessageKind::Done;
    UploadProgress progress;  // Progress; Percent: bodyBytes alone
    int stringId = 0;         // Status
    UploadVerdict verdict;    // Done
    int round = 0;            // Confirmation
    ConfirmationState state = ConfirmationState::Watching;
    std::string version;
    platform::SleepLockTaken sleep;  // SleepLock
};

// Hands one message to the receiver: the call its kind names (a sleep lock is moved out of it).
void DeliverRunMessage(RunMessage& message, RunMailboxReceiver& receiver);

// A mailbox that turns every post into a RunMessage and gives it to Post, which queues it for the run's
// thread; the adapters of each event loop implement Post.
class RunMessageMailbox : public RunMailbox {
public:
    void PostUpgradeProgress(const UploadProgress& progress) final;
    void ResetPercent(std::uint64_t bodyBytes) final;
    void PostStatusText(int stringId) final;
    void PostUpgradeVerdict(const UploadVerdict& verdict) final;
    void PostConfirmation(int round, ConfirmationState state, const std::string& version) final;
    void PostSleepLock(platform::SleepLockTaken taken) final;

protected:
    // From any thread; must not wait for the run's thread.
    virtual void Post(RunMessage message) = 0;
};

// The mailbox of a loop of the program's own: posts are queued under a lock, and the owner's thread takes
// them out with DeliverFor. Messages still queued when the mailbox goes are dropped with it.
class QueuedRunMailbox final : public RunMessageMailbox {
public:
    // On the owner's thread: waits until a message is queued, Wake is called or `wait` has passed, then
    // hands every message queued by then to `receiver`, in the order posted, outside the lock (a receiver
    // may post). Answers how many it handed on; 0 when the wait ran out or was woken with none.
    std::size_t DeliverFor(RunMailboxReceiver& receiver, std::chrono::milliseconds wait);

    // From any thread (not from a signal handler): a DeliverFor waiting now, or the next one, returns at
    // once, so the owner's loop looks at its conditions without a message.
    void Wake();

    // Messages queued and not yet handed on.
    std::size_t Pending() const;

protected:
    void Post(RunMessage message) override;

private:
    mutable std::mutex mutex;
    std::condition_variable posted;
    std::deque<RunMessage> queue;
    bool woken = false;
};

}  // namespace fwu
