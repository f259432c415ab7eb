// The run's mailbox for the Windows window: every post is queued with its values and announced to the
// window by a posted message WM_USER + its kind (WM_USER + 1 the upload's verdict, WM_USER + 3 a progress
// message, ...). The window's procedure hands the message on with Deliver on the window's thread, so the
// run is told in the order posted. No sender waits for the window.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>

#include "upgrade/RunMailbox.h"

namespace fwu::win {

// The message number announcing a post of `kind`.
constexpr UINT RunWindowMessage(RunMessageKind kind) {
    return WM_USER + static_cast<UINT>(kind);
}

// Whether a window message announces a post of the mailbox.
bool IsRunWindowMessage(UINT message);

class WindowMailbox final : public RunMessageMailbox {
public:
    // Posts go nowhere until the window is set; from then on each one is announced to it.
    void SetWindow(HWND target);

    // On the window's thread, for an announcing message: hands the oldest queued post to `receiver`.
    // False when none is queued (the queue was dropped).
    bool Deliver(RunMailboxReceiver& receiver);

    // Drops every post not yet handed on; later posts are dropped too (the window is going).
    void Close();

protected:
    void Post(RunMessage message) override;

private:
    std::mutex mutex;
    HWND window = nullptr;
    std::deque<RunMessage> queue;
};

}  // namespace fwu::win
