// Pauses on Windows: a high-resolution waitable timer where the system has one (Windows 10 1803 and
// later), or the plain delay where that timer rounds to milliseconds (see PauseHabits); elsewhere the
// ordinary timer with the system tick lowered to 1 ms for the wait, since the default 15.6 ms tick would turn
// each 5 ms pause of the upload into 15.
#include "platform/Sleep.h"

#include <windows.h>

#include <algorithm>
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

const FinerTick& CoarseTick() {
    static const FinerTick tick;
    return tick;
}

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

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

// How each pause of a thread is waited out, learnt per thread. The high-resolution timer wakes tens of
// microseconds late on Windows; under wine it wakes only on whole milliseconds from its start (4.5 ms
// ends after 5.2), while the system's plain delay there is exact to about 0.1 ms. A thread whose timer is
// seen rounding up three times waits with the delay from then on (back to the timer for good should the
// delay keep a coarse tick). Either way the wait is asked to end as much early as it has been waking late,
// and what is left after it is waited again (or yielded, when too short to wait for): the 159 pauses of an
// upload keep to their schedule.
class PauseHabits {
public:
    bool UseDelay() const { return useDelay; }
    // What to ask the wait for with `left` to go; zero: yield instead.
    Micros Ask(Micros left) const { return left - late < kYieldBelow ? Micros(0) : left - late; }
    void Observed(Micros asked, Clock::duration took) {
        const auto woke = std::chrono::duration_cast<Micros>(took);
        const auto nextWholeMs = std::chrono::ceil<std::chrono::milliseconds>(asked);
        if (!useDelay && !timerOnly && nextWholeMs - asked >= kYieldBelow && woke >= nextWholeMs &&
            ++roundedUp >= 3) {
            useDelay = true;
            late = Micros(0);
            return;
        }
        if (useDelay && woke - asked > kTickLate) {
            // The delay keeps the system's tick here (a real Windows seen rounding by chance): back to the
            // timer, for good.
            useDelay = false;
            timerOnly = true;
            late = Micros(0);
            return;
        }
        late = (late * 3 + std::clamp(woke - asked, Micros(0), kMostLate)) / 4;
    }

private:
    static constexpr Micros kYieldBelow{100};
    static constexpr Micros kMostLate{1000};
    static constexpr Micros kTickLate{1500};
    Micros late{0};
    bool useDelay = false;
    bool timerOnly = false;
    int roundedUp = 0;
};

// The system's plain delay (what Sleep waits with), to the 100 ns; null where ntdll lacks it.
using DelayCall = LONG(NTAPI*)(BOOLEAN, PLARGE_INTEGER);
DelayCall SystemDelay() {
    static const DelayCall delay = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll == nullptr ? nullptr
                                : reinterpret_cast<DelayCall>(
                                      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtDelayExecution")));
    }();
    return delay;
}

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
    const bool coarse = precise == nullptr;
    // Loaded only where the tick is needed: loading winmm.dll takes 20 to 50 ms under wine, which would
    // all go into the upload's first pause.
    const FinerTick* tick = coarse ? &CoarseTick() : nullptr;
    if (tick != nullptr && tick->begin != nullptr) {
        tick->begin(1);
    }
    // At least the time asked: a timer that fires early (tick rounding) is waited on again for the rest.
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
        if (!coarse) {
            thread_local PauseHabits habits;
            const Micros ask = habits.Ask(std::chrono::duration_cast<Micros>(end - now));
            if (ask == Micros(0)) {
                ::SwitchToThread();
                continue;
            }
            if (habits.UseDelay() && SystemDelay() != nullptr) {
                LARGE_INTEGER due{};
                due.QuadPart = -ask.count() * 10;  // relative, in 100 ns units
                SystemDelay()(FALSE, &due);
            } else {
                WaitOnTimer(precise, ask);
            }
            habits.Observed(ask, Clock::now() - now);
        } else {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
            ::Sleep(static_cast<DWORD>(ms));
        }
    }
    if (tick != nullptr && tick->end != nullptr) {
        tick->end(1);
    }
}

}  // namespace fwu::platform
