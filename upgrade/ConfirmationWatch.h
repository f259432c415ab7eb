// After an upgrade counted as done, watches the router come back: one probe a second and, once it
// answers, the status query with the same credential, until the router names its version or 5 minutes
// have passed. Runs on a thread of its own so the window (or the command line) keeps going; Stop ends it
// without waiting, and nothing is sent once Stop has returned.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/Process.h"
#include "router/RouterAddress.h"

namespace fwu {

class AttemptLog;

// How long the router is watched after the upgrade, and how often it is probed.
inline constexpr std::int64_t kConfirmationWatchMs = 5 * 60 * 1000;
inline constexpr int kConfirmationProbeIntervalMs = 1000;
// The longest one status query of the watch may take, so Stop is not held up by a slow router.
inline constexpr int kConfirmationQueryLimitMs = 5000;

enum class ConfirmationState {
    Watching,         // the watch has begun
    Confirmed,        // the router names the carried image's version
    OtherVersion,     // the router names another version: the new firmware did not take
    NotBack,          // the router named no version within kConfirmationWatchMs
    RefusesPassword,  // the router is back but refused the password kRefusalsToGiveUp times in a row
};

// After this many refusals in a row the router is taken to refuse the password for good (a router that
// refuses once while it starts its web server still confirms).
inline constexpr int kRefusalsToGiveUp = 3;

// What one status query of the watch learnt: the version, or whether the router refused the password.
struct RouterVersionAnswer {
    std::optional<std::string> version;
    bool passwordRefused = false;
};

// What the watch uses to reach the router and to tell time; tests hand in fakes.
struct ConfirmationWatchServices {
    // One echo to the address, waiting up to about a second: true when answered.
    std::function<bool(const std::string& address)> probe;
    // The status query with the Basic `credential`: the version the router names, or nothing.
    // Checks `stopped` before connecting and before sending, and sends nothing once it answers true.
    std::function<std::optional<std::string>(const std::string& address, const std::string& credential,
                                             const std::function<bool()>& stopped)>
        readVersion;
    // The same query telling a refused password apart; used instead of readVersion when set.
    std::function<RouterVersionAnswer(const std::string& address, const std::string& credential,
                                      const std::function<bool()>& stopped)>
        readAnswer = {};
    std::function<std::int64_t()> nowMs;  // a steady clock in milliseconds
    // Waits `ms` or until woken by Stop; empty: the watch's own wait on the steady clock.
    std::function<void(int ms)> pause;
    platform::ThreadStarter startThread = platform::StartThread;
    // How long the router is given to name its version; the lab's tests shorten it.
    std::int64_t watchMs = kConfirmationWatchMs;
};

// The real ICMP probe, the status query over TCP (kConfirmationQueryLimitMs) and the steady clock.
ConfirmationWatchServices SystemConfirmationWatchServices();

class ConfirmationWatch {
public:
    // Called on the watch's thread: first Watching, then exactly one of the three ends, unless stopped.
    using Report = std::function<void(ConfirmationState state, const std::string& version)>;

    ConfirmationWatch(ConfirmationWatchServices services, Report report, AttemptLog* log = nullptr);
    ~ConfirmationWatch();  // stops and joins
    ConfirmationWatch(const ConfirmationWatch&) = delete;
    ConfirmationWatch& operator=(const ConfirmationWatch&) = delete;

    // Starts watching the router at `address` for `expectedVersion`; false when it already runs or no
    // thread could be had (nothing is reported then).
    bool Start(const RouterAddress& address, const std::string& credential,
               const std::string& expectedVersion);

    // Ends the watch: returns at once; no probe or query is begun after it, and nothing more is reported.
    void Stop();

    // Waits for the watch's thread to end (after Stop: for at most the probe or query under way).
    void Join();

    bool Stopped() const { return stopped.load(std::memory_order_acquire); }

private:
    void Run(const std::string& address, const std::string& credential, const std::string& expectedVersion);
    void Pause(int ms);
    void Tell(ConfirmationState state, const std::string& version);

    ConfirmationWatchServices services;
    Report report;
    AttemptLog* log;
    std::atomic<bool> stopped{false};
    std::mutex wakeMutex;
    std::condition_variable wake;
    std::thread thread;
};

// The line the success page shows for a state, e.g. "The router now runs v2.00.22."; empty for Watching.
std::string ConfirmationText(ConfirmationState state, const std::string& version);

}  // namespace fwu
