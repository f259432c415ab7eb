#include "platform/Interrupt.h"

#include <signal.h>

#include <atomic>

namespace fwu::platform {
namespace {

// A lock-free atomic is all a signal handler may touch; it holds the last signal's number, 0 for none.
std::atomic<int> pending{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};
struct sigaction previousHangup {};

void OnSignal(int number) {
    pending.store(number, std::memory_order_relaxed);
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
    pending.store(0, std::memory_order_relaxed);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInterrupt);
    ::sigaction(SIGTERM, &action, &previousTerminate);
    ::sigaction(SIGHUP, &action, &previousHangup);
}

InterruptCatcher::~InterruptCatcher() {
    ::sigaction(SIGINT, &previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &previousTerminate, nullptr);
    ::sigaction(SIGHUP, &previousHangup, nullptr);
}

bool InterruptCatcher::TakeRequest() {
    const int number = pending.exchange(0, std::memory_order_relaxed);
    if (number == 0) {
        return false;
    }
    lastTaken = number == SIGTERM  ? StopSignal::Terminate
                : number == SIGHUP ? StopSignal::Hangup
                                   : StopSignal::Interrupt;
    return true;
}

void IgnoreBrokenPipe() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace fwu::platform
