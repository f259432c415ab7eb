// What the upload worker may do to the main window, and nothing more: post the progress with its
// percent, start the percent over, set the progress status line, and post the result with its cause. The
// dialog implements it; tests record the calls. Every value the window shows travels in the call itself: the
// window keeps no state that the worker writes.
#pragma once

#include "transfer/UploadVerdict.h"

namespace fwu {

class UploadWindow {
public:
    virtual ~UploadWindow() = default;

    // Posts WM_UPGRADE_PROGRESS carrying the new percent (queued; never waits for the window).
    virtual void PostUpgradeProgress(int percent) = 0;

    // Posts the percent's start over at 0 without a progress message: the transfer is over and the wait
    // for the router counts from 0 again (queued; never waits for the window).
    virtual void ResetPercent() = 0;

    // Formats the string-table entry with one integer and shows it in the progress status line. Called
    // from the worker thread; returns once the window thread has taken the text.
    virtual void SetStatusText(int stringId, int argument) = 0;

    // Posts WM_UPGRADE_DONE with the worker's result: 1 success, 0 failure.
    virtual void PostUpgradeDone(unsigned result) = 0;

    // The worker's final post: WM_UPGRADE_DONE with the verdict's result, its cause travelling beside it.
    // A window that shows no cause takes the result alone.
    virtual void PostUpgradeVerdict(const UploadVerdict& verdict) { PostUpgradeDone(verdict.result); }
};

}  // namespace fwu
