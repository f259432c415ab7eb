// The window's run mailbox: each post becomes a Qt event queued to the window thread, with the event
// numbers the run's messages have always had (WM_UPGRADE_DONE is QEvent::User + 1, WM_UPGRADE_PROGRESS
// QEvent::User + 3, ...), and the event loop hands it to the run in the order posted.
#pragma once

#include <QEvent>
#include <QObject>

#include "upgrade/RunMailbox.h"

namespace fwu {

inline QEvent::Type RunEventType(RunMessageKind kind) {
    return static_cast<QEvent::Type>(QEvent::User + static_cast<int>(kind));
}

inline const QEvent::Type WM_UPGRADE_DONE = RunEventType(RunMessageKind::Done);
inline const QEvent::Type WM_UPGRADE_PROGRESS = RunEventType(RunMessageKind::Progress);
inline const QEvent::Type WM_UPGRADE_PERCENT = RunEventType(RunMessageKind::Percent);
inline const QEvent::Type WM_UPGRADE_STATUS = RunEventType(RunMessageKind::Status);
inline const QEvent::Type WM_UPGRADE_CONFIRMATION = RunEventType(RunMessageKind::Confirmation);
inline const QEvent::Type WM_SLEEP_LOCK = RunEventType(RunMessageKind::SleepLock);

class QtRunMailbox final : public QObject, public RunMessageMailbox {
public:
    // Lives on the thread that creates it; events reach `receiver` once it is set (UpgradeRun::Receiver()),
    // which must outlive the mailbox. Events still queued when the mailbox goes are dropped with it.
    QtRunMailbox() = default;
    void SetReceiver(RunMailboxReceiver& runReceiver) { receiver = &runReceiver; }

protected:
    void Post(RunMessage message) override;
    void customEvent(QEvent* event) override;

private:
    RunMailboxReceiver* receiver = nullptr;
};

}  // namespace fwu
