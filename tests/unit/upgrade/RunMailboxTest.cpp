// The queued run mailbox: posts from other threads reach the receiver on the owner's thread, in the order
// posted and with their values; a wait without posts ends when its time is up or when woken, not sooner.
// And which message numbers of a window's own are the run's.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "upgrade/RunMailbox.h"

namespace fwu {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Writes down every call as a line.
struct Recorder final : RunMailboxReceiver {
    std::vector<std::string> calls;
    std::thread::id thread;
    std::function<void()> onFirstProgress;
    void Seen(std::string call) {
        thread = std::this_thread::get_id();
        calls.push_back(std::move(call));
    }
    void OnProgress(const UploadProgress& p) override {
        Seen("progress " + std::to_string(p.percent) + " " + std::to_string(p.bodyBytes));
        if (onFirstProgress) {
            std::exchange(onFirstProgress, {})();
        }
    }
    void OnPercentReset(std::uint64_t bodyBytes) override { Seen("reset " + std::to_string(bodyBytes)); }
    void OnStatusText(int stringId) override { Seen("status " + std::to_string(stringId)); }
    void OnDone(const UploadVerdict& v) override {
        Seen("done " + std::to_string(v.result) + " " + std::to_string(v.percent));
    }
    void OnConfirmation(int round, ConfirmationState state, const std::string& version) override {
        Seen("confirmation " + std::to_string(round) + " " + std::to_string(static_cast<int>(state)) + " " +
             version);
    }
    void OnSleepLock(platform::SleepLockTaken& taken) override { Seen("sleep " + taken.failure); }
};

TEST(RunMessageOffset, OnlyTheKindsNumbersAreTheRuns) {
    const struct {
        long long offset;
        bool run;
    } cases[] = {{-1, false}, {0, false}, {1, true},          {2, false},
                 {3, true},   {4, true},  {5, true},          {6, true},
                 {7, true},   {8, false}, {1LL << 32, false}, {-(1LL << 32) + 1, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsRunMessageOffset(c.offset), c.run) << c.offset;
    }
}

TEST(QueuedRunMailbox, PostsFromAnotherThreadArriveInOrderOnTheOwnersThread) {
    QueuedRunMailbox mailbox;
    Recorder receiver;
    std::thread worker([&mailbox] {
        for (int percent = 1; percent <= 100; ++percent) {
            mailbox.PostUpgradeProgress({percent, static_cast<std::uint64_t>(percent) * 1000});
        }
        mailbox.ResetPercent(3'253'591);
        mailbox.PostStatusText(42);
        UploadVerdict verdict;
        verdict.result = 1;
        verdict.percent = 100;
        mailbox.PostUpgradeVerdict(verdict);
        mailbox.PostConfirmation(2, ConfirmationState::OtherVersion, "v2.00.20");
    });
    const auto deadline = steady_clock::now() + std::chrono::seconds(10);
    while (receiver.calls.size() < 104 && steady_clock::now() < deadline) {
        mailbox.DeliverFor(receiver, milliseconds(100));
    }
    worker.join();
    ASSERT_EQ(receiver.calls.size(), 104u);
    EXPECT_EQ(receiver.thread, std::this_thread::get_id());
    for (int percent = 1; percent <= 100; ++percent) {
        EXPECT_EQ(receiver.calls[static_cast<std::size_t>(percent - 1)],
                  "progress " + std::to_string(percent) + " " + std::to_string(percent * 1000));
    }
    EXPECT_EQ(std::vector<std::string>(receiver.calls.end() - 4, receiver.calls.end()),
              (std::vector<std::string>{
                  "reset 3253591", "status 42", "done 1 100",
                  "confirmation 2 " + std::to_string(static_cast<int>(ConfirmationState::OtherVersion)) +
                      " v2.00.20"}));
    EXPECT_EQ(mailbox.Pending(), 0u);
}

TEST(QueuedRunMailbox, WaitsEndAsTheyShould) {
    struct Case {
        const char* name;
        std::function<void(QueuedRunMailbox&)> before;  // on another thread, 50 ms after the wait began
        std::size_t delivered;
        milliseconds atLeast, below;
    };
    const std::vector<Case> cases = {
        {"nothing posted: the whole wait", nullptr, 0, milliseconds(200), milliseconds(5'000)},
        {"woken", [](QueuedRunMailbox& m) { m.Wake(); }, 0, milliseconds(40), milliseconds(190)},
        {"a post", [](QueuedRunMailbox& m) { m.PostStatusText(7); }, 1, milliseconds(40), milliseconds(190)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QueuedRunMailbox mailbox;
        Recorder receiver;
        std::thread other;
        if (c.before) {
            other = std::thread([&mailbox, &c] {
                std::this_thread::sleep_for(milliseconds(50));
                c.before(mailbox);
            });
        }
        const auto start = steady_clock::now();
        EXPECT_EQ(mailbox.DeliverFor(receiver, milliseconds(200)), c.delivered);
        const auto took = steady_clock::now() - start;
        EXPECT_GE(took, c.atLeast);
        EXPECT_LT(took, c.below);
        if (other.joinable()) {
            other.join();
        }
    }
}

TEST(QueuedRunMailbox, PostsMadeWhileDeliveringWaitForTheNextCall) {
    QueuedRunMailbox mailbox;
    Recorder receiver;
    // A receiver that posts (as the run does when it starts the watch) sees that post in the next round.
    receiver.onFirstProgress = [&mailbox] { mailbox.PostStatusText(9); };
    mailbox.PostUpgradeProgress({5, 10});
    mailbox.Wake();  // a wake before the wait counts once, and leaves no wake behind
    EXPECT_EQ(mailbox.DeliverFor(receiver, milliseconds(0)), 1u);
    EXPECT_EQ(mailbox.Pending(), 1u);
    EXPECT_EQ(mailbox.DeliverFor(receiver, milliseconds(0)), 1u);
    EXPECT_EQ(receiver.calls, (std::vector<std::string>{"progress 5 10", "status 9"}));
    const auto start = steady_clock::now();
    EXPECT_EQ(mailbox.DeliverFor(receiver, milliseconds(100)), 0u);
    EXPECT_GE(steady_clock::now() - start, milliseconds(90));
}

}  // namespace
}  // namespace fwu
