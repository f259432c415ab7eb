// Holds off suspend while an upgrade runs: a "sleep" inhibitor lock of the login manager, taken over the
// system bus, with "handle-lid-switch" too where the login manager allows it (so closing a laptop's lid
// does not suspend it either). The lock is a file descriptor; closing it releases the lock.
#pragma once

#include <string>

namespace fwu::platform {

// How long the request for a lock may take, the bus connection included: a missing or hung login manager
// must not hold up the upgrade.
inline constexpr int kSleepLockTimeoutMs = 1500;

// One lock held, or none; move-only. Release (or the destructor) closes it at once.
class SleepLock {
public:
    SleepLock() = default;
    explicit SleepLock(int fd) : fd(fd) {}
    ~SleepLock() { Release(); }
    SleepLock(SleepLock&& other) noexcept : fd(other.fd) { other.fd = -1; }
    SleepLock& operator=(SleepLock&& other) noexcept {
        if (this != &other) {
            Release();
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }
    SleepLock(const SleepLock&) = delete;
    SleepLock& operator=(const SleepLock&) = delete;

    bool Held() const { return fd >= 0; }
    void Release();

private:
    int fd = -1;
};

// What asking for the lock gave: the lock, or why there is none.
struct SleepLockTaken {
    SleepLock lock;
    std::string failure;  // empty when the lock is held
};

// Asks the login manager for a "block" lock of sleep and the lid switch, and of sleep alone when it
// refuses the first. `busAddress` names the bus to ask on (a D-Bus address such as "unix:path=/run/x");
// empty: the system bus. Returns within `timeoutMs` whatever the bus does: the request runs on a thread
// of its own, and a lock that comes after the wait is closed as it arrives.
SleepLockTaken TakeSleepLock(const std::string& busAddress, int timeoutMs = kSleepLockTimeoutMs);

}  // namespace fwu::platform
