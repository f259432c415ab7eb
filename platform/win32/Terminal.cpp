// The console on Windows: a stream is a terminal when it is a console (GetConsoleMode answers for it);
// standard input is waited on as its kind allows (a pipe by the bytes in it, a console by a typed line);
// a password is typed without echo by taking ENABLE_ECHO_INPUT off the input's mode. While echo is off,
// Ctrl-C and closing the console put the mode back before the program's own handling goes on.
#include "platform/Terminal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/Deadline.h"
#include "platform/Sleep.h"

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

// How often a pipe or a console whose line is not finished is looked at again.
constexpr int kLookAgainMs = 20;

// True when the console's pending input holds a pressed Enter: the line-mode read that follows then
// returns at once. Events that are no key at all (focus, mouse, size) are dropped, so they neither pile
// up nor keep the wait from sleeping; typed keys stay for the read.
bool ConsoleLineTyped(HANDLE input) {
    DWORD count = 0;
    if (!::GetNumberOfConsoleInputEvents(input, &count) || count == 0) {
        return false;
    }
    std::vector<INPUT_RECORD> records(count);
    DWORD seen = 0;
    if (!::PeekConsoleInputW(input, records.data(), count, &seen)) {
        return true;  // the read that follows reports what went wrong
    }
    bool anyKey = false;
    for (DWORD i = 0; i < seen; ++i) {
        if (records[i].EventType != KEY_EVENT) {
            continue;
        }
        anyKey = true;
        const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
        if (key.bKeyDown && (key.wVirtualKeyCode == VK_RETURN || key.uChar.UnicodeChar == L'\r')) {
            return true;
        }
    }
    if (!anyKey) {
        ::FlushConsoleInputBuffer(input);
    }
    return false;
}

// Something to read in the pipe, or its writer gone (the read then finds the end).
bool PipeReadable(HANDLE input) {
    DWORD available = 0;
    return !::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0;
}

}  // namespace

bool WaitForStandardInput(int timeoutMs) {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        return true;  // no input at all: the read that follows finds its end at once
    }
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(input, &mode) != 0;
    if (!console && ::GetFileType(input) != FILE_TYPE_PIPE) {
        return true;  // a file (or the null device) is read at once, to its end
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (console ? ConsoleLineTyped(input) : PipeReadable(input)) {
            return true;
        }
        const int left = deadline.RemainingMs();
        if (left <= 0) {
            return false;
        }
        SleepPrecisely(std::min(left, kLookAgainMs));
    }
}

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
