// The messages the upload worker posts to the main window, as Qt events, each carrying its value:
// WM_UPGRADE_PROGRESS the new percent, WM_UPGRADE_PERCENT the percent's start over (no progress message),
// WM_UPGRADE_DONE the worker's result (1 success, 0 failure), with its cause beside it.
#pragma once

#include <QEvent>
#include <utility>

#include "transfer/UploadVerdict.h"

namespace fwu {

inline const QEvent::Type WM_UPGRADE_DONE = static_cast<QEvent::Type>(QEvent::User + 1);
inline const QEvent::Type WM_UPGRADE_PROGRESS = static_cast<QEvent::Type>(QEvent::User + 3);
inline const QEvent::Type WM_UPGRADE_PERCENT = static_cast<QEvent::Type>(QEvent::User + 4);

class UpgradeDoneEvent : public QEvent {
public:
    explicit UpgradeDoneEvent(unsigned result) : UpgradeDoneEvent(VerdictOfResult(result)) {}
    explicit UpgradeDoneEvent(UploadVerdict verdict)
        : QEvent(WM_UPGRADE_DONE), result(verdict.result), verdict(std::move(verdict)) {}
    const unsigned result;
    const UploadVerdict verdict;  // the cause travels beside the result
};

class UpgradeProgressEvent : public QEvent {
public:
    UpgradeProgressEvent(QEvent::Type type, int percent) : QEvent(type), percent(percent) {}
    const int percent;
};

}  // namespace fwu
