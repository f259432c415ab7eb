#include "win/WindowMailbox.h"

#include <utility>

namespace fwu::win {

bool IsRunWindowMessage(UINT message) {
    return IsRunMessageOffset(static_cast<long long>(message) - WM_USER);
}

void WindowMailbox::SetWindow(HWND target) {
    const std::lock_guard<std::mutex> lock(mutex);
    window = target;
}

void WindowMailbox::Post(RunMessage message) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (window == nullptr) {
        return;
    }
    // Queued and announced under one lock, so the announcements come in the order of the queue.
    const UINT announce = RunWindowMessage(message.kind);
    queue.push_back(std::move(message));
    if (PostMessageW(window, announce, 0, 0) == 0) {
        queue.pop_back();  // the window's queue is full or the window is gone: the post cannot be told
    }
}

bool WindowMailbox::Deliver(RunMailboxReceiver& receiver) {
    RunMessage message;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (queue.empty()) {
            return false;
        }
        message = std::move(queue.front());
        queue.pop_front();
    }
    // Outside the lock: the receiver may post.
    DeliverRunMessage(message, receiver);
    return true;
}

void WindowMailbox::Close() {
    const std::lock_guard<std::mutex> lock(mutex);
    window = nullptr;
    queue.clear();
}

}  // namespace fwu::win
