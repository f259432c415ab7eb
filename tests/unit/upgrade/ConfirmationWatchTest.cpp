// The watch of the router after its restart, on a scripted clock: a router silent for a while that comes
// back with the new version, with the old one, with its web page late, or not at all within 5 minutes,
// and the user's Exit during the watch, after which nothing may be sent.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/ConfirmationWatch.h"

namespace fwu {
namespace {

using State = ConfirmationState;

// A router on the watch's clock: silent before `backMs`, its web page answering from `webMs` on.
struct ScriptedRouter {
    std::int64_t backMs = 0;
    std::int64_t webMs = 0;
    std::string version;
    std::int64_t exitMs = -1;   // the user clicks Exit once the clock reaches it (-1: never)
    std::int64_t refuseMs = 0;  // its web page refuses the password until then

    std::int64_t now = 0;
    std::vector<std::int64_t> probes;   // when each probe was sent
    std::vector<std::int64_t> queries;  // when each status query was made
    int sentAfterStop = 0;
    std::vector<State> states;
    std::string reportedVersion;

    // Exit comes from the test's thread: the watch waits in its pause until it has been stopped.
    std::mutex mutex;
    std::condition_variable exitDue;
    bool exitSignalled = false;
};

ConfirmationWatchServices ScriptedServices(ScriptedRouter& r, ConfirmationWatch*& watch) {
    ConfirmationWatchServices services;
    services.nowMs = [&r] { return r.now; };
    services.probe = [&r, &watch](const std::string& address) {
        EXPECT_EQ(address, "192.168.1.1");
        r.sentAfterStop += watch->Stopped() ? 1 : 0;
        r.probes.push_back(r.now);
        r.now += 5;
        return r.now >= r.backMs;
    };
    services.readAnswer = [&r](const std::string&, const std::string& credential,
                               const std::function<bool()>& stopped) -> RouterVersionAnswer {
        EXPECT_EQ(credential, "OnJvZGVs");  // ":rodel"
        r.sentAfterStop += stopped() ? 1 : 0;
        r.queries.push_back(r.now);
        r.now += 20;
        if (r.now < r.webMs) {
            return {};
        }
        if (r.now < r.refuseMs) {
            return {std::nullopt, true};
        }
        return {r.version, false};
    };
    services.pause = [&r, &watch](int ms) {
        r.now += ms;
        if (r.exitMs >= 0 && r.now >= r.exitMs) {
            std::unique_lock<std::mutex> lock(r.mutex);
            r.exitSignalled = true;
            r.exitDue.notify_all();
            r.exitDue.wait(lock, [&watch] { return watch->Stopped(); });
        }
    };
    return services;
}

TEST(ConfirmationWatch, RouterComingBack) {
    struct Case {
        const char* name;
        std::int64_t backMs, webMs;
        const char* version;
        std::int64_t exitMs;
        std::int64_t refuseMs;
        std::vector<State> states;
        const char* reported;
        std::size_t queries;
    };
    const Case cases[] = {
        {"back with the new version",
         40000,
         0,
         "v2.00.22",
         -1,
         0,
         {State::Watching, State::Confirmed},
         "v2.00.22",
         1},
        {"back with the old version",
         40000,
         0,
         "v2.00.20",
         -1,
         0,
         {State::Watching, State::OtherVersion},
         "v2.00.20",
         1},
        {"pings first, web page later",
         40000,
         45000,
         "v2.00.22",
         -1,
         0,
         {State::Watching, State::Confirmed},
         "v2.00.22",
         6},
        {"never back", 1 << 30, 0, "v2.00.22", -1, 0, {State::Watching, State::NotBack}, "", 0},
        {"web page never answers",
         40000,
         1 << 30,
         "v2.00.22",
         -1,
         0,
         {State::Watching, State::NotBack},
         "",
         260},
        {"Exit during the watch", 1 << 30, 0, "v2.00.22", 20000, 0, {State::Watching}, "", 0},
        {"Exit once the pings are back", 10000, 1 << 30, "v2.00.22", 20000, 0, {State::Watching}, "", 10},
        {"back but refuses the password",
         40000,
         0,
         "v2.00.22",
         -1,
         1 << 30,
         {State::Watching, State::RefusesPassword},
         "",
         kRefusalsToGiveUp},
        {"refuses once while starting, then names the version",
         40000,
         0,
         "v2.00.22",
         -1,
         41000,
         {State::Watching, State::Confirmed},
         "v2.00.22",
         2},
    };
    for (const Case& c : cases) {
        ScriptedRouter r;
        r.backMs = c.backMs;
        r.webMs = c.webMs;
        r.version = c.version;
        r.exitMs = c.exitMs;
        r.refuseMs = c.refuseMs;
        ConfirmationWatch* watchPtr = nullptr;
        ConfirmationWatch watch(ScriptedServices(r, watchPtr), [&r](State state, const std::string& version) {
            r.states.push_back(state);
            r.reportedVersion = version;
        });
        watchPtr = &watch;
        ASSERT_TRUE(watch.Start(RouterAddress::Split("192.168.1.1"), "OnJvZGVs", "v2.00.22")) << c.name;
        if (c.exitMs >= 0) {
            std::unique_lock<std::mutex> lock(r.mutex);
            r.exitDue.wait(lock, [&r] { return r.exitSignalled; });
            watch.Stop();
            r.exitDue.notify_all();
        }
        watch.Join();

        EXPECT_EQ(r.states, c.states) << c.name;
        EXPECT_EQ(r.reportedVersion, c.reported) << c.name;
        EXPECT_EQ(r.queries.size(), c.queries) << c.name;
        EXPECT_EQ(r.sentAfterStop, 0) << c.name;
        // One probe a second while nothing is known: no two probes closer than the interval, and none
        // begun once the 5 minutes are over.
        for (std::size_t i = 1; i < r.probes.size(); ++i) {
            EXPECT_GE(r.probes[i] - r.probes[i - 1], kConfirmationProbeIntervalMs) << c.name;
        }
        ASSERT_FALSE(r.probes.empty()) << c.name;
        EXPECT_LT(r.probes.back(), kConfirmationWatchMs) << c.name;
        if (c.exitMs >= 0) {
            EXPECT_LE(r.probes.back(), c.exitMs) << c.name;
        }
    }
}

// On its own clock the watch waits a second between probes; Stop wakes it at once, and no thread or a
// second start is refused without a report.
TEST(ConfirmationWatch, StopsPromptlyAndStartsOnce) {
    std::atomic<int> probes{0};
    std::atomic<int> reports{0};
    ConfirmationWatchServices services;
    services.probe = [&probes](const std::string&) {
        ++probes;
        return false;
    };
    services.readVersion = [](const std::string&, const std::string&, const std::function<bool()>&) {
        return std::optional<std::string>();
    };
    ConfirmationWatch watch(services, [&reports](State, const std::string&) { ++reports; });
    ASSERT_TRUE(watch.Start(RouterAddress::Split("192.168.1.1"), "OnJvZGVs", "v2.00.22"));
    EXPECT_FALSE(watch.Start(RouterAddress::Split("192.168.1.1"), "OnJvZGVs", "v2.00.22"));
    while (probes.load() == 0) {
        std::this_thread::yield();
    }
    const auto stopAt = std::chrono::steady_clock::now();
    watch.Stop();
    watch.Join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, std::chrono::milliseconds(500));
    EXPECT_EQ(probes.load(), 1);
    EXPECT_EQ(reports.load(), 1);  // Watching only

    services.startThread = [](std::thread&, std::function<void()>) { return false; };
    ConfirmationWatch noThread(services, [&reports](State, const std::string&) { ++reports; });
    EXPECT_FALSE(noThread.Start(RouterAddress::Split("192.168.1.1"), "OnJvZGVs", "v2.00.22"));
    EXPECT_EQ(reports.load(), 1);
}

TEST(ConfirmationWatch, LineTexts) {
    EXPECT_EQ(ConfirmationText(State::Confirmed, "v2.00.22"), "The router now runs v2.00.22.");
    EXPECT_EQ(ConfirmationText(State::OtherVersion, "v2.00.20"),
              "The router restarted but still runs v2.00.20: it kept its old firmware. Switch it off and on, "
              "then run the upgrade again.");
    EXPECT_EQ(ConfirmationText(State::NotBack, ""),
              "The router has not come back after 5 minutes. Check its lights and cables, then open its web "
              "page to see its version.");
    EXPECT_EQ(ConfirmationText(State::RefusesPassword, ""),
              "The router came back after the restart but refuses the password. Open its web page to see its "
              "version.");
    EXPECT_EQ(ConfirmationText(State::Watching, ""), "");
}

}  // namespace
}  // namespace fwu
