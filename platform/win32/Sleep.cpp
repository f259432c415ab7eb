// Pauses on Windows: a high-resolution waitable timer where the system has one (Windows 10 1803 and
// later); elsewhere the ordinary timer with the system tick lowered to 1 ms for the wait, since the
// default 15.6 ms tick would turn each 5 ms pause of the upload into 15.
#include "platform/Sleep.h"

#include <windows.h>

#include <chrono>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace fwu::platform {
namespace {

// timeBeginPeriod lives in winmm.dll; looked up at run time so the program links no extra library.
using TimePeriodCall = UINT(WINAPI*)(UINT);

struct FinerTick {
    FinerTick() {
        if (const HMODULE winmm = ::LoadLibraryW(L"winmm.dll")) {
            begin = reinterpret_cast<TimePeriodCall>(
                reinterpret_cast<void*>(::GetProcAddress(winmm, "timeBeginPeriod")));
            end = reinterpret_cast<TimePeriodCall>(
                reinterpret_cast<void*>(::GetProcAddress(winmm, "timeEndPeriod")));
        }
    }
    TimePeriodCall begin = nullptr;
    TimePeriodCall end = nullptr;
};

// One timer per pausing thread, closed when the thread ends; null where the system has no such timer.
struct PreciseTimer {
    PreciseTimer()
        : handle(::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS)) {}
    ~PreciseTimer() {
        if (handle != nullptr) {
            ::CloseHandle(handle);
        }
    }
    PreciseTimer(const PreciseTimer&) = delete;
    PreciseTimer& operator=(const PreciseTimer&) = delete;
    HANDLE handle;
};

void WaitOnTimer(HANDLE timer, std::chrono::steady_clock::duration left) {
    LARGE_INTEGER due{};
    // Negative: relative, in 100 ns units.
    due.QuadPart =
        -std::chrono::duration_cast<std::chrono::duration<long long, std::ratio<1, 10'000'000>>>(left)
             .count();
    if (due.QuadPart < 0 && ::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        ::WaitForSingleObject(timer, INFINITE);
    }
}

}  // namespace

void SleepPrecisely(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    thread_local const PreciseTimer timer;
    const HANDLE precise = timer.handle;
    static const FinerTick tick;
    const bool coarse = precise == nullptr;
    if (coarse && tick.begin != nullptr) {
        tick.begin(1);
    }
    // At least the time asked: a timer that fires early (tick rounding) is waited on again for the rest.
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
        if (!coarse) {
            WaitOnTimer(precise, end - now);
        } else {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
            ::Sleep(static_cast<DWORD>(ms));
        }
    }
    if (coarse && tick.end != nullptr) {
        tick.end(1);
    }
}

}  // namespace fwu::platform
