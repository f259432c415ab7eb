// A router's restart after an upload, told once for both sides that follow it: the upload worker's flash
// wait, which probes until the router has stayed silent long enough, and the confirmation watch, which then
// probes until the router is back and names its version. Times are on one fake clock in milliseconds: the
// worker's, which the watch's clock goes on from.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "router/Probe.h"
#include "router/RouterAddress.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu::test {

inline constexpr std::int64_t kNever = std::int64_t{1} << 40;

// The default router answers every ping and names the carried version at once.
struct RouterRestart {
    std::int64_t silentMs = kNever;      // its pings go unanswered from then...
    std::int64_t backMs = kNever;        // ...until then
    std::int64_t webMs = 0;              // its web page answers from then on
    std::int64_t refuseUntilMs = 0;      // and refuses the password before then
    std::string version = "v2.00.22";    // what its web page names
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

    // What the watch's status query sent at `atMs` learns.
    RouterVersionAnswer Query(std::int64_t atMs) const {
        if (atMs < webMs) {
            return {};
        }
        return atMs < refuseUntilMs ? RouterVersionAnswer{std::nullopt, true} : RouterVersionAnswer{version};
    }
};

// What the watch sent, when, and what it reported.
struct WatchRecord {
    std::vector<std::int64_t> probes;   // when each probe was sent
    std::vector<std::int64_t> queries;  // when each status query was sent
    int sentAfterStop = 0;
    std::vector<ConfirmationState> states;
    std::string version;  // the last one reported
};

// Runs the watch for "v2.00.22" over `router` from `startMs` until it ends, on a fake clock that a probe
// moves by 5 ms, a status query by 20 ms and a pause by its length. The user clicks Exit once a pause
// reaches `exitMs` (-1: never): the watch's thread waits in that pause until the test's thread stopped it.
// Checks the pacing every watch keeps: one probe a second at most, none begun after the 5 minutes or after
// Exit, nothing sent once stopped.
inline WatchRecord WatchRouter(const RouterRestart& router, std::int64_t startMs, std::int64_t exitMs = -1) {
    WatchRecord record;
    std::int64_t now = startMs;
    std::mutex mutex;
    std::condition_variable exitDue;
    bool exitSignalled = false;
    ConfirmationWatch* watch = nullptr;
    ConfirmationWatchServices services;
    services.nowMs = [&now] { return now; };
    services.probe = [&](const std::string& address) {
        EXPECT_EQ(address, "192.168.1.1");
        record.sentAfterStop += watch->Stopped() ? 1 : 0;
        const std::int64_t sentAt = now;
        record.probes.push_back(sentAt);
        now += 5;
        return sentAt < router.unpingableMs && router.Answers(sentAt);
    };
    services.readAnswer = [&](const std::string&, const std::string& credential,
                              const std::function<bool()>& stopped) {
        EXPECT_EQ(credential, "OmFkbWlu");  // ":admin", as the upload sent it
        record.sentAfterStop += stopped() ? 1 : 0;
        const std::int64_t sentAt = now;
        record.queries.push_back(sentAt);
        now += 20;
        return router.Query(sentAt);
    };
    services.pause = [&](int ms) {
        now += ms;
        if (exitMs >= 0 && now >= exitMs) {
            std::unique_lock<std::mutex> lock(mutex);
            exitSignalled = true;
            exitDue.notify_all();
            exitDue.wait(lock, [&watch] { return watch->Stopped(); });
        }
    };
    ConfirmationWatch confirmation(services, [&record](ConfirmationState state, const std::string& version) {
        record.states.push_back(state);
        record.version = version;
    });
    watch = &confirmation;
    if (!confirmation.Start(RouterAddress::Split("192.168.1.1"), "OmFkbWlu", "v2.00.22")) {
        ADD_FAILURE() << "the watch did not start";
        return record;
    }
    if (exitMs >= 0) {
        std::unique_lock<std::mutex> lock(mutex);
        exitDue.wait(lock, [&exitSignalled] { return exitSignalled; });
        confirmation.Stop();
        exitDue.notify_all();
    }
    confirmation.Join();

    EXPECT_EQ(record.sentAfterStop, 0);
    for (std::size_t i = 1; i < record.probes.size(); ++i) {
        EXPECT_GE(record.probes[i] - record.probes[i - 1], kConfirmationProbeIntervalMs);
    }
    EXPECT_FALSE(record.probes.empty());
    EXPECT_LT(record.probes.empty() ? 0 : record.probes.back() - startMs, kConfirmationWatchMs);
    if (exitMs >= 0) {
        EXPECT_LE(record.probes.empty() ? 0 : record.probes.back(), exitMs);
    }
    return record;
}

}  // namespace fwu::test
