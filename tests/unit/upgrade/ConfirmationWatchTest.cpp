// The watch of the router after its restart: the user's Exit during the watch, after which nothing may be
// sent, its own wait that Stop cuts short, and the lines it shows. How it judges a router coming back is
// checked where the same router's story first runs through the upload worker's flash wait.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/unit/support/RouterRestart.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu {
namespace {

using State = ConfirmationState;
using test::kNever;

// Exit while the router is still silent, and once it answers pings but its web page does not: the watch
// reports nothing more and sends nothing after the Exit.
TEST(ConfirmationWatch, ExitDuringTheWatchEndsIt) {
    const struct {
        const char* name;
        std::int64_t backMs;
        std::size_t queries;
    } cases[] = {{"Exit during the watch", kNever, 0}, {"Exit once the pings are back", 10'000, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::WatchRecord watched =
            test::WatchRouter({.silentMs = 0, .backMs = c.backMs, .webMs = kNever}, 0, 20'000);
        EXPECT_EQ(watched.states, std::vector<State>{State::Watching});
        EXPECT_EQ(watched.version, "");
        EXPECT_EQ(watched.queries.size(), c.queries);
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
