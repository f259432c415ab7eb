// The two messages the upload worker posts to the main window, as Qt events: WM_UPGRADE_DONE carries the
// worker's result (1 success, 0 failure), WM_UPGRADE_PROGRESS nothing (the window reads `percent`).
#pragma once

#include <QEvent>

namespace fwu {

inline const QEvent::Type WM_UPGRADE_DONE = static_cast<QEvent::Type>(QEvent::User + 1);
inline const QEvent::Type WM_UPGRADE_PROGRESS = static_cast<QEvent::Type>(QEvent::User + 3);

class UpgradeDoneEvent : public QEvent {
public:
    explicit UpgradeDoneEvent(unsigned result) : QEvent(WM_UPGRADE_DONE), result(result) {}
    const unsigned result;
};

class UpgradeProgressEvent : public QEvent {
public:
    UpgradeProgressEvent() : QEvent(WM_UPGRADE_PROGRESS) {}
};

}  // namespace fwu
