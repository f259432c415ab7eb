// Ctrl-C and the console's other events as stop requests on Windows. Ctrl-C and Ctrl-Break are taken as
// the interrupt (exit status 130), closing the console window, logging off and shutting down as the
// termination (143). The system ends the process once the handler of a close, logoff or shutdown returns,
// so that handler waits, a bounded time, for the program to finish what the request started.
#include "platform/Interrupt.h"

#include <windows.h>

#include <atomic>

namespace fwu::platform {
namespace {

enum Pending : int { kNone = 0, kInterrupt = 1, kTerminate = 2 };

std::atomic<int> pending{kNone};
// Set when the catcher ends, so a waiting close handler lets the system end the process.
HANDLE catcherDone = nullptr;
// The system gives a close handler 5 s before it ends the process anyway.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            pending.store(kInterrupt);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            pending.store(kTerminate);
            if (catcherDone != nullptr) {
                ::WaitForSingleObject(catcherDone, kCloseGraceMs);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
    pending.store(kNone);
    if (catcherDone == nullptr) {
        catcherDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    } else {
        ::ResetEvent(catcherDone);
    }
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptCatcher::~InterruptCatcher() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (catcherDone != nullptr) {
        ::SetEvent(catcherDone);
    }
}

bool InterruptCatcher::TakeRequest() {
    const int taken = pending.exchange(kNone);
    if (taken == kNone) {
        return false;
    }
    lastTaken = taken == kTerminate ? StopSignal::Terminate : StopSignal::Interrupt;
    return true;
}

// Windows has no broken-pipe signal: a write to a closed pipe already fails with an error.
void IgnoreBrokenPipe() {}

}  // namespace fwu::platform
