#include "platform/Interrupt.h"

#include <signal.h>

#include <atomic>

namespace fwu::platform {
namespace {

// A lock-free atomic is all a signal handler may touch.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
struct sigaction previous {};

void OnInterrupt(int) {
    interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
    interrupted.store(false, std::memory_order_relaxed);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previous);
}

InterruptCatcher::~InterruptCatcher() {
    ::sigaction(SIGINT, &previous, nullptr);
}

bool InterruptCatcher::TakeRequest() {
    return interrupted.exchange(false, std::memory_order_relaxed);
}

}  // namespace fwu::platform
