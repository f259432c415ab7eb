// A point in time after which a wait must give up, read from the steady clock. Waits that loop (after an
// interrupted call, a partial send) keep one deadline so the total wait stays within the caller's limit.
#pragma once

#include <algorithm>
#include <chrono>

namespace fwu::platform {

class Deadline {
public:
    explicit Deadline(int timeoutMs)
        : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0))) {}

    // Milliseconds left, rounded up so a wait does not end just before the deadline; 0 once passed.
    int RemainingMs() const {
        const auto left = end_ - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return 0;
        }
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

    bool Expired() const { return std::chrono::steady_clock::now() >= end_; }

private:
    std::chrono::steady_clock::time_point end_;
};

}  // namespace fwu::platform
