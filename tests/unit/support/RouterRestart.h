// A router's restart after an upload as the upload worker's flash wait sees it: when its pings go
// unanswered and when they come back. Times are on the worker's fake clock in milliseconds.
#pragma once

#include <cstdint>
#include <functional>

#include "router/Probe.h"

namespace fwu::test {

inline constexpr std::int64_t kNever = std::int64_t{1} << 40;

// The default router answers every ping.
struct RouterRestart {
    std::int64_t silentMs = kNever;      // its pings go unanswered from then...
    std::int64_t backMs = kNever;        // ...until then
    std::int64_t unpingableMs = kNever;  // from then the PC can send it no ping at all

    bool Answers(std::int64_t atMs) const { return atMs < silentMs || atMs >= backMs; }

    // The worker's probe script: what a probe sent at `atMs` finds.
    std::function<ProbeOutcome(int, std::int64_t)> Probes() const {
        return [router = *this](int, std::int64_t atMs) {
            return atMs >= router.unpingableMs ? ProbeOutcome::NotSent
                   : router.Answers(atMs)      ? ProbeOutcome::Answered
                                               : ProbeOutcome::Silent;
        };
    }
};

}  // namespace fwu::test
