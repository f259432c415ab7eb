// The one way from the run's other threads (the upload worker, the watch after the restart, the request
// for the sleep lock) to the run:
// every call becomes an event queued to the thread the mailbox lives on, carrying its values, and the
// event loop hands it to the receiver in the order posted. No sender ever waits for the receiving thread.
// WM_UPGRADE_PROGRESS and WM_UPGRADE_DONE are the names of the worker's progress and final events.
#pragma once

#include <QEvent>
#include <QObject>
#include <string>

#include "platform/SleepLock.h"
#include "transfer/UploadWindow.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu {

inline const QEvent::Type WM_UPGRADE_DONE = static_cast<QEvent::Type>(QEvent::User + 1);
inline const QEvent::Type WM_UPGRADE_PROGRESS = static_cast<QEvent::Type>(QEvent::User + 3);
inline const QEvent::Type WM_UPGRADE_PERCENT = static_cast<QEvent::Type>(QEvent::User + 4);
inline const QEvent::Type WM_UPGRADE_STATUS = static_cast<QEvent::Type>(QEvent::User + 5);
inline const QEvent::Type WM_UPGRADE_CONFIRMATION = static_cast<QEvent::Type>(QEvent::User + 6);
inline const QEvent::Type WM_SLEEP_LOCK = static_cast<QEvent::Type>(QEvent::User + 7);

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
    // What the request for the sleep lock gave; a lock the receiver does not take closes with the event.
    virtual void OnSleepLock(platform::SleepLockTaken& taken) = 0;
};

class RunMailbox final : public QObject, public UploadWindow {
public:
    // `receiver` must outlive the mailbox; events still queued when the mailbox goes are dropped with it.
    explicit RunMailbox(RunMailboxReceiver& receiver) : receiver(receiver) {}

    // From any thread.
    void PostUpgradeProgress(const UploadProgress& progress) override;
    void ResetPercent(std::uint64_t bodyBytes) override;
    void PostStatusText(int stringId) override;
    void PostUpgradeVerdict(const UploadVerdict& verdict) override;
    void PostConfirmation(int round, ConfirmationState state, const std::string& version);
    void PostSleepLock(platform::SleepLockTaken taken);

protected:
    void customEvent(QEvent* event) override;

private:
    RunMailboxReceiver& receiver;
};

}  // namespace fwu
