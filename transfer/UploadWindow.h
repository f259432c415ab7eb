// What the upload worker may do to the main window, and nothing more: store the percent, set the
// progress status line, and post the two messages. The dialog implements it; tests record the calls.
#pragma once

namespace fwu {

class UploadWindow {
public:
    virtual ~UploadWindow() = default;

    // Stores the new progress into the window's `percent` (an atomic store; the window reads it later).
    virtual void StorePercent(int percent) = 0;

    // Formats the string-table entry with one integer and shows it in the progress status line. Called
    // from the worker thread; returns once the window thread has taken the text.
    virtual void SetStatusText(int stringId, int argument) = 0;

    // Posts WM_UPGRADE_PROGRESS (queued; never waits for the window).
    virtual void PostUpgradeProgress() = 0;

    // Posts WM_UPGRADE_DONE with the worker's result: 1 success, 0 failure.
    virtual void PostUpgradeDone(unsigned result) = 0;
};

}  // namespace fwu
