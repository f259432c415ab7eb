// The console on Windows: a stream is a terminal when it is a console (GetConsoleMode answers for it);
// a password is typed without echo by taking ENABLE_ECHO_INPUT off the input's mode. While echo is off,
// Ctrl-C and closing the console put the mode back before the program's own handling goes on.
#include "platform/Terminal.h"

#include <windows.h>

#include <atomic>

namespace fwu::platform {
namespace {

std::atomic<DWORD> savedMode{0};
std::atomic<bool> restoreOnEvent{false};

DWORD HandleId(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return STD_INPUT_HANDLE;
        case StandardStream::Output:
            return STD_OUTPUT_HANDLE;
        case StandardStream::Error:
            return STD_ERROR_HANDLE;
    }
    return STD_INPUT_HANDLE;
}

BOOL WINAPI RestoreOnEvent(DWORD /*event*/) {
    if (restoreOnEvent.load()) {
        ::SetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), savedMode.load());
    }
    return FALSE;  // the handlers set before this one (the stop request, or the system's) decide
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    DWORD mode = 0;
    const HANDLE handle = ::GetStdHandle(HandleId(stream));
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

EchoOffOnStandardInput::EchoOffOnStandardInput() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || !::GetConsoleMode(input, &mode)) {
        return;
    }
    savedFlags = mode;
    savedMode.store(mode);
    restoreOnEvent.store(true);
    ::SetConsoleCtrlHandler(RestoreOnEvent, TRUE);
    active = ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
    if (!active) {
        RestoreHandlers();
    }
}

void EchoOffOnStandardInput::RestoreHandlers() {
    restoreOnEvent.store(false);
    ::SetConsoleCtrlHandler(RestoreOnEvent, FALSE);
}

EchoOffOnStandardInput::~EchoOffOnStandardInput() {
    if (active) {
        ::SetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), static_cast<DWORD>(savedFlags));
        RestoreHandlers();
    }
}

}  // namespace fwu::platform
