// What the upload worker may tell the run that started it, and nothing more: the progress with its percent
// and the body bytes the router has taken, the percent's start over when the transfer is over, the status
// line's text, and the final verdict. Every call is a post: it carries its values and never waits for the
// receiving thread. The run's mailbox implements it; tests record the calls.
#pragma once

#include <cstdint>

#include "transfer/UploadVerdict.h"

namespace fwu {

// One progress message: the percent made by the worker (0 to 100, clamped where it is made) and the body
// bytes the router has taken so far, counted by the session.
struct UploadProgress {
    int percent = 0;
    std::uint64_t bodyBytes = 0;
    bool operator==(const UploadProgress&) const = default;
};

class UploadWindow {
public:
    virtual ~UploadWindow() = default;

    // WM_UPGRADE_PROGRESS with the new percent and the bytes taken.
    virtual void PostUpgradeProgress(const UploadProgress& progress) = 0;

    // The percent starts over at 0 without a progress message: the transfer is over (the whole body,
    // `bodyBytes`, went out) and the wait for the router counts from 0 again.
    virtual void ResetPercent(std::uint64_t bodyBytes) = 0;

    // The progress status line shows the string-table entry `stringId`.
    virtual void PostStatusText(int stringId) = 0;

    // The worker's final post: WM_UPGRADE_DONE with the verdict (its result 1 success, 0 failure, and its
    // cause).
    virtual void PostUpgradeVerdict(const UploadVerdict& verdict) = 0;
};

}  // namespace fwu
