// The upload worker run on the test's thread with a recording window, a fake sleeper and prober and a
// scripted HTTP session: pacing, progress posts, the flash wait schedule and every failure path.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "res/StringTable.h"
#include "tools/labsupport/UploadRecorder.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadSchedule.h"
#include "transfer/UploadWorker.h"

namespace fwu {
namespace {

using test::Event;
using test::Kind;
using test::SessionFault;
using test::SessionLog;
using test::SyntheticImage;
using test::Timeline;

constexpr int kCarriedImageSize = 3'253'248;

// One worker run and what it left behind.
struct WorkerRun {
    Timeline timeline;
    std::shared_ptr<SessionLog> session = std::make_shared<SessionLog>();
    QByteArray image;
    unsigned result = 99;
    std::vector<Event> events;

    WorkerRun(
        int imageSize, SessionFault fault = {}, std::function<bool(int)> answers = [](int) { return true; }) {
        image = SyntheticImage(imageSize);
        QByteArray copy = image;
        copy.detach();
        const UploadJob job{"192.168.1.1", "admin", &timeline,
                            PercentStep(static_cast<std::uint32_t>(imageSize))};
        result = UploadThreadProc(job, copy, test::FakeDevices(timeline, session, fault, std::move(answers)));
        EXPECT_TRUE(copy.isNull()) << "the image copy is released";
        events = timeline.Events();
    }

    // Index of the status text, or the end when it never came.
    std::size_t StatusAt() const {
        return static_cast<std::size_t>(std::find_if(events.begin(), events.end(),
                                                     [](const Event& e) { return e.kind == Kind::Status; }) -
                                        events.begin());
    }
    std::vector<Event> Transfer() const { return {events.begin(), events.begin() + StatusAt()}; }
    std::vector<Event> Wait() const {
        return StatusAt() == events.size()
                   ? std::vector<Event>{}
                   : std::vector<Event>{events.begin() + StatusAt() + 1, events.end()};
    }
};

std::vector<int> Values(const std::vector<Event>& events, Kind kind) {
    std::vector<int> values;
    for (const Event& e : events) {
        if (e.kind == kind) {
            values.push_back(e.value);
        }
    }
    return values;
}

// Every progress post is directly preceded by the store of its percent.
void ExpectPercentStoredBeforeEachPost(const std::vector<Event>& events) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Kind::Progress) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(events[i - 1].kind, Kind::Percent) << "post " << i;
        }
    }
}

std::vector<int> Sequence(int from, int to) {
    std::vector<int> values;
    for (int v = from; v <= to; ++v) {
        values.push_back(v);
    }
    return values;
}

TEST(UploadWorker, CarriedImageTransfersSettlesWaitsAndReportsOnce) {
    WorkerRun run(kCarriedImageSize);
    EXPECT_EQ(run.result, 0u);  // the router answered every probe

    // Transfer: 2,582 pieces each after a 5 ms pause, one post per percent, the image byte for byte.
    const std::vector<Event> transfer = run.Transfer();
    ExpectPercentStoredBeforeEachPost(transfer);
    EXPECT_EQ(std::count(transfer.begin(), transfer.end(), Event{Kind::Progress}), 100);
    std::vector<int> percents = Values(transfer, Kind::Percent);
    ASSERT_EQ(percents.size(), 101u);
    EXPECT_EQ(percents.back(), 0);  // back to 0 at the end of the transfer, with no post of its own
    percents.pop_back();
    EXPECT_EQ(percents, Sequence(1, 100));
    std::vector<int> expectedSleeps(2'582, 5);
    expectedSleeps.push_back(1'000);  // the settle pause
    EXPECT_EQ(Values(transfer, Kind::Sleep), expectedSleeps);
    EXPECT_TRUE(Values(transfer, Kind::Probe).empty());

    std::vector<std::size_t> expectedWrites{452};
    expectedWrites.insert(expectedWrites.end(), 2'581, 1'260);
    expectedWrites.push_back(1'188);
    expectedWrites.push_back(136);
    EXPECT_EQ(run.session->writeSizes, expectedWrites);
    // Each image piece goes out right after its pause; the head and tail need none.
    for (std::size_t i = 1; i < transfer.size(); ++i) {
        if (transfer[i].kind == Kind::Write && transfer[i].value != 452 && transfer[i].value != 136) {
            EXPECT_EQ(transfer[i - 1], (Event{Kind::Sleep, 5})) << "write " << i;
        }
    }

    // Settle: percent 0, 1,000 ms, then the status text, nothing posted in between.
    const std::size_t status = run.StatusAt();
    ASSERT_LT(status, run.events.size());
    ASSERT_GE(status, 3u);
    EXPECT_EQ(run.events[status - 3], (Event{Kind::Write, 136}));
    EXPECT_EQ(run.events[status - 2], (Event{Kind::Percent, 0}));
    EXPECT_EQ(run.events[status - 1], (Event{Kind::Sleep, 1'000}));
    EXPECT_EQ(run.events[status].value, IDS_WRITING_FLASH);
    EXPECT_EQ(run.timeline.StatusArguments(), std::vector<int>{0});

    // Wait: 100 cycles of probe, 1,000 ms, percent, post; then the one final post.
    std::vector<Event> wait = run.Wait();
    ASSERT_FALSE(wait.empty());
    EXPECT_EQ(wait.back(), (Event{Kind::Done, 0}));
    wait.pop_back();
    std::vector<Event> expectedWait;
    for (int cycle = 1; cycle <= 100; ++cycle) {
        expectedWait.insert(
            expectedWait.end(),
            {{Kind::Probe, 1}, {Kind::Sleep, 1'000}, {Kind::Percent, cycle}, {Kind::Progress}});
    }
    EXPECT_EQ(wait, expectedWait);
    EXPECT_EQ(Values(run.events, Kind::Done).size(), 1u);

    // The request as the session was handed it, and the whole body.
    const SessionLog& session = *run.session;
    const auto request = BuildUploadRequest("192.168.1.1", "admin", kCarriedImageSize);
    ASSERT_TRUE(request);
    EXPECT_EQ(session.agentName, "HttpSendFileTest");
    EXPECT_EQ(session.server + ":" + std::to_string(session.port), "192.168.1.1:80");
    EXPECT_EQ(session.verb + " " + session.object + " " + session.version, "POST upgrade.cgi 1.0");
    EXPECT_EQ(session.headerBlock, request->headerBlock);
    EXPECT_EQ(session.bodyLength, 3'253'836u);
    EXPECT_TRUE(session.body == request->bodyHead + run.image.toStdString() + request->bodyTail);
    EXPECT_EQ(session.calls.front(), "Open");
    EXPECT_EQ(session.calls.back(), "Close");
    EXPECT_EQ(std::count(session.calls.begin(), session.calls.end(), "Close"), 1);
}

// The delay the wait should pause in `cycle` when the first unanswered probe is in `silentAt` (0: never).
int ExpectedDelay(int cycle, int silentAt) {
    if (silentAt == 0 || cycle <= silentAt) {
        return 1'000;
    }
    return std::max(1'000 - 30 * (cycle - silentAt), 100);
}

TEST(UploadWorker, WaitProbesUntilTheRouterFallsSilentThenShortensItsCycles) {
    struct Case {
        int silentAt;  // first unanswered probe; 0 for a router that always answers
        unsigned result;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{40, 1}, Case{100, 1}}) {
        SCOPED_TRACE(c.silentAt);
        WorkerRun run(kCarriedImageSize, {},
                      [&](int probe) { return c.silentAt == 0 || probe < c.silentAt; });
        EXPECT_EQ(run.result, c.result);
        const std::vector<Event> wait = run.Wait();
        EXPECT_EQ(wait.back(), (Event{Kind::Done, static_cast<int>(c.result)}));

        const std::vector<int> probes = Values(wait, Kind::Probe);
        const std::size_t probed = c.silentAt == 0 ? 100 : c.silentAt;
        ASSERT_EQ(probes.size(), probed);
        EXPECT_EQ(probes.back(), c.silentAt == 0 ? 1 : 0);

        std::vector<int> expected;
        for (int cycle = 1; cycle <= 100; ++cycle) {
            expected.push_back(ExpectedDelay(cycle, c.silentAt));
        }
        EXPECT_EQ(Values(wait, Kind::Sleep), expected);
        EXPECT_EQ(Values(wait, Kind::Percent), Sequence(1, 100));
        EXPECT_EQ(std::count(wait.begin(), wait.end(), Event{Kind::Progress}), 100);
    }
    // The schedule the table above is built from, spelled out at its turning points.
    EXPECT_EQ(ExpectedDelay(41, 40), 970);
    EXPECT_EQ(ExpectedDelay(69, 40), 130);
    EXPECT_EQ(ExpectedDelay(70, 40), 100);
}

TEST(UploadWorker, ImageSizesSetPiecesPostsAndWaitCycles) {
    struct Case {
        int size;
        std::vector<std::size_t> pieces;  // image writes between head and tail
        int transferPosts;
        int waitCycles;
    };
    const auto full = [](int count, std::size_t last) {
        std::vector<std::size_t> pieces(static_cast<std::size_t>(count), 1'260);
        pieces.push_back(last);
        return pieces;
    };
    const std::vector<Case> cases = {
        // A multiple of 1,260: the last full-size piece is the final one and posts nothing.
        {126'000, full(99, 1'260), 100, 100},
        // One piece or less: a single final write, no post during the transfer, one cycle.
        {1'260, {1'260}, 0, 1},
        {1, {1}, 0, 1},
        {60, {60}, 0, 1},  // under 100 bytes: one byte per percent
        // Under 126,000 bytes a piece crosses several percent steps (126 bytes each here).
        {12'600, full(9, 1'260), 91, 91},
        // The final piece shorter than the image's last percent: the count runs past 100.
        {126'001, full(100, 1), 101, 101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        WorkerRun run(c.size);
        EXPECT_EQ(run.result, 0u);
        std::vector<std::size_t> writes = run.session->writeSizes;
        ASSERT_GE(writes.size(), 2u);
        EXPECT_EQ(writes.front(), 452u);
        EXPECT_EQ(writes.back(), 136u);
        EXPECT_EQ(std::vector<std::size_t>(writes.begin() + 1, writes.end() - 1), c.pieces);

        const std::vector<Event> transfer = run.Transfer();
        ExpectPercentStoredBeforeEachPost(transfer);
        EXPECT_EQ(std::count(transfer.begin(), transfer.end(), Event{Kind::Progress}), c.transferPosts);
        std::vector<int> percents = Values(transfer, Kind::Percent);
        percents.pop_back();  // the settle's 0
        std::vector<int> expected;
        for (int post = 1; post <= c.transferPosts; ++post) {
            expected.push_back(std::min(post, 100));  // never shown above 100
        }
        EXPECT_EQ(percents, expected);

        const std::vector<Event> wait = run.Wait();
        EXPECT_EQ(std::count(wait.begin(), wait.end(), Event{Kind::Progress}), c.waitCycles);
        EXPECT_LE(std::ranges::max(Values(wait, Kind::Percent)), 100);
    }

    // Several steps crossed by one piece are posted one after another, right after that piece.
    WorkerRun small(12'600);
    const auto firstPiece = std::find(small.events.begin(), small.events.end(), Event{Kind::Write, 1'260});
    ASSERT_NE(firstPiece, small.events.end());
    std::vector<Event> afterFirst(firstPiece + 1, firstPiece + 1 + 22);
    std::vector<Event> expected;
    for (int percent = 1; percent <= 11; ++percent) {
        expected.insert(expected.end(), {{Kind::Percent, percent}, {Kind::Progress}});
    }
    EXPECT_EQ(afterFirst, expected);
}

TEST(UploadWorker, HttpFailureReportsZeroAtOnceWithoutFlashWait) {
    // Each call of the session that can end the transfer, failing in turn.
    const std::vector<SessionFault> faults = {
        {"Open", 1},        {"Connect", 1}, {"OpenRequest", 1}, {"AddRequestHeaders", 1},
        {"SendRequest", 1}, {"Write", 1},  // the body head
        {"Write", 1'000},                  // in the middle of the image
        {"Write", 2'583},                  // the final piece
        {"Write", 2'584},                  // the body tail
    };
    for (const SessionFault& fault : faults) {
        SCOPED_TRACE(fault.call + " #" + std::to_string(fault.occurrence));
        WorkerRun run(kCarriedImageSize, fault);
        EXPECT_EQ(run.result, 0u);
        ASSERT_FALSE(run.events.empty());
        EXPECT_EQ(run.events.back(), (Event{Kind::Done, 0}));
        EXPECT_EQ(Values(run.events, Kind::Done).size(), 1u);
        EXPECT_EQ(run.StatusAt(), run.events.size()) << "no flash-writing text";
        EXPECT_TRUE(Values(run.events, Kind::Probe).empty());
        const std::vector<int> sleeps = Values(run.events, Kind::Sleep);
        EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 1'000), 0);
        // The failing call is the last one before the session is closed.
        const std::vector<std::string>& calls = run.session->calls;
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], fault.call);
        EXPECT_EQ(calls.back(), "Close");
    }
}

TEST(UploadWorker, NoSessionOrNoCredentialFailsBeforeAnythingIsSent) {
    for (const bool noSession : {true, false}) {
        SCOPED_TRACE(noSession ? "no session" : "password too long");
        Timeline timeline;
        auto session = std::make_shared<SessionLog>();
        QByteArray image = SyntheticImage(5'000);
        UploadDevices devices = test::FakeDevices(timeline, session);
        if (noSession) {
            devices.openSession = [] { return std::unique_ptr<platform::HttpSession>(); };
        }
        const UploadJob job{"192.168.1.1", noSession ? "admin" : std::string(189, 'p'), &timeline,
                            PercentStep(5'000)};
        EXPECT_EQ(UploadThreadProc(job, image, devices), 0u);
        EXPECT_TRUE(image.isNull());
        EXPECT_EQ(timeline.Events(), std::vector<Event>{(Event{Kind::Done, 0})});
        EXPECT_EQ(std::count(session->calls.begin(), session->calls.end(), "Connect"), 0);
    }
}

}  // namespace
}  // namespace fwu
