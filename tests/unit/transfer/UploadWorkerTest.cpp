// The upload worker run on the test's thread with a recording window, a fake sleeper and prober and a
// scripted HTTP session: pacing, progress posts, the flash wait schedule and every failure path.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "res/StringTable.h"
#include "tests/unit/support/QtBytes.h"
#include "tests/unit/support/RouterRestart.h"
#include "tools/labsupport/UploadRecorder.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadSchedule.h"
#include "transfer/UploadWorker.h"
#include "upgrade/FailureText.h"

namespace fwu {
namespace {

using State = ConfirmationState;
using test::Event;
using test::Kind;
using test::kNever;
using Router = test::RouterRestart;
using test::SessionFault;
using test::SessionLog;
using test::SyntheticImage;
using test::Timeline;

constexpr int kCarriedImageSize = 3'253'248;

// The image as the worker takes it: shared, let go of when the transfer ends.
std::shared_ptr<const Bytes> SharedImage(const QByteArray& image) {
    return std::make_shared<const Bytes>(test::ToBytes(image));
}

// The job the upload start makes for an image of `imageSize` bytes to 192.168.1.1 with password "admin".
UploadJob JobFor(int imageSize, UploadWindow* window) {
    const std::optional<UploadHttpRequest> request =
        BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", static_cast<std::uint64_t>(imageSize));
    return UploadJob{"192.168.1.1", request.value_or(UploadHttpRequest{}), window,
                     PercentStep(static_cast<std::uint32_t>(imageSize))};
}

// One worker run and what it left behind.
struct WorkerRun {
    Timeline timeline;
    std::shared_ptr<SessionLog> session = std::make_shared<SessionLog>();
    QByteArray image;
    unsigned result = 99;
    std::vector<Event> events;
    std::int64_t endMs = 0;  // the worker's clock once it gave its verdict

    UploadVerdict verdict;
    std::vector<std::uint64_t> transferReports;  // bytesSent as each transfer report gave it
    int verdictReports = 0;

    WorkerRun(int imageSize, SessionFault fault = {}, const Router& router = {}, std::string answer = {}) {
        image = SyntheticImage(imageSize);
        std::shared_ptr<const Bytes> copy = SharedImage(image);
        session->answer = std::move(answer);
        const UploadJob job = JobFor(imageSize, &timeline);
        UploadServices devices = test::FakeUploadServices(timeline, session, fault, router.Probes());
        // The log's two reports: the transfer's end before the flash-writing text, the verdict before
        // the result is posted.
        devices.transferEnded = [this](const UploadVerdict& sofar) {
            transferReports.push_back(sofar.bytesSent);
        };
        devices.report = [this](const UploadVerdict&) {
            ++verdictReports;
            const std::vector<Event> sofar = timeline.Events();
            EXPECT_TRUE(sofar.empty() || sofar.back().kind != Kind::Done);
        };
        verdict = RunUploadJob(job, copy, devices);
        result = verdict.result;
        endMs = devices.nowMs();
        EXPECT_EQ(copy, nullptr) << "the image is let go of";
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
    const auto request = BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", kCarriedImageSize);
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

// Each router's story after the upload, on one clock: what it answered to the upload, when its pings went
// unanswered and came back, what its web page then said. The flash wait gives its verdict and, after a
// restart, the watch that the run starts a second later follows the same router to a verdict of its own.
TEST(UploadWorker, RouterStoriesGiveTheWaitsAndThenTheWatchsVerdicts) {
    // 126,000 bytes: 100 wait cycles, like the carried image, at a fraction of the transfer. The wait's
    // first probe goes out at 1,500 ms, each answered one 1,001 ms after the one before.
    constexpr int kImage = 126'000;
    using enum UploadOutcome;
    using enum ConfirmationState;
    struct Case {
        const char* name;
        Router router;
        UploadOutcome outcome;
        int probes;               // probes made in all (cycles, then overtime)
        bool fullDelays;          // every cycle paused the full 1,000 ms
        State watch = Watching;   // how the watch after a restart ends
        std::size_t queries = 0;  // the watch's status queries
        std::string answer = {};  // what the router said to the upload
    };
    const std::vector<Case> cases = {
        {"answers every probe", Router{}, NoRestart, 100, true, Watching, 0, "HTTP/1.0 200 Ok\r\n"},
        // One lost reply (probe 40, at 40,539 ms) is no restart; the pauses stay full as the router answers
        // again at once.
        {"one lost reply", Router{.silentMs = 40'000, .backMs = 41'000}, NoRestart, 100, true},
        {"a blip of three lost replies", Router{.silentMs = 40'000, .backMs = 45'000}, NoRestart, 100, false},
        {"silent 9 s: probes 40 to 44 lost over 8.8 s", Router{.silentMs = 40'000, .backMs = 49'000},
         NoRestart, 100, false},
        // From probe 40 on, the sixth silent probe ends 10.7 s after the first was sent (at 50,239 ms), the
        // wait at 66,589 ms. Back at 50,500 ms, the router counts as restarted all the same, and the watch
        // finds it back at its first probe.
        {"silent for good from probe 40", Router{.silentMs = 40'000}, Restarted, 45, false, NotBack},
        {"silent 10.5 s", Router{.silentMs = 40'000, .backMs = 50'500}, Restarted, 45, false, Confirmed, 1},
        // The last cycle reached one probe into a silence: probing goes on past the cycles, to 111,299 ms.
        {"silent from the last cycle", Router{.silentMs = 100'000, .backMs = 120'000}, Restarted, 105, false,
         Confirmed, 1},
        {"answers in the overtime", Router{.silentMs = 99'000, .backMs = 105'000}, NoRestart, 102, false},
        {"probe cannot be sent", Router{.unpingableMs = 10'000}, ProbeUnavailable, 10, true},
        {"probe cannot be sent while silent", Router{.silentMs = 6'000, .unpingableMs = 14'000},
         ProbeUnavailable, 10, false},
        // Silent from the first probe: the wait ends at 31,450 ms, the watch probes each second from
        // 32,450 ms to 331,450 ms, and the router answers from 40,450 ms on.
        {"upload answered 400", Router{.silentMs = 0}, RefusedByRouter, 0, true, Watching, 0,
         "HTTP/1.0 400 Bad Request\r\nServer: httpd\r\n\r\n"},
        {"upload answered 200, back with the old version",
         Router{.silentMs = 0, .backMs = 40'000, .version = "v2.00.20"}, Restarted, 6, false, OtherVersion, 1,
         "HTTP/1.0 200 Ok\r\n\r\n"},
        {"upload not answered, back with the new version", Router{.silentMs = 0, .backMs = 40'000}, Restarted,
         6, false, Confirmed, 1},
        {"upload answered with garbage, web page 5 s after the pings",
         Router{.silentMs = 0, .backMs = 40'000, .webMs = 45'000}, Restarted, 6, false, Confirmed, 6,
         "\x01\x02<html>400</html>"},
        {"web page never answers", Router{.silentMs = 0, .backMs = 40'000, .webMs = kNever}, Restarted, 6,
         false, NotBack, 292},
        {"refuses the password", Router{.silentMs = 0, .backMs = 40'000, .refuseUntilMs = kNever}, Restarted,
         6, false, RefusesPassword, 3},
        {"refuses once while starting", Router{.silentMs = 0, .backMs = 40'000, .refuseUntilMs = 41'000},
         Restarted, 6, false, Confirmed, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkerRun run(kImage, {}, c.router, c.answer);
        const bool success = c.outcome == UploadOutcome::Restarted;
        EXPECT_EQ(run.verdict.outcome, c.outcome);
        EXPECT_EQ(run.result, success ? 1u : 0u);
        EXPECT_EQ(run.events.back(), (Event{Kind::Done, success ? 1 : 0}));
        EXPECT_EQ(Values(run.events, Kind::Done).size(), 1u);
        EXPECT_EQ(Values(run.events, Kind::Probe).size(), static_cast<std::size_t>(c.probes));
        // The answer is read once the whole body is out, before the session closes.
        const std::vector<std::string>& calls = run.session->calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[calls.size() - 3], "Write");
        EXPECT_EQ(calls[calls.size() - 2], "ReadAnswer");
        // What the log is told beside the outcome: the body sent, the time it took on the worker's
        // clock, the answer's first line and the silence that decided.
        EXPECT_EQ(run.verdict.bytesSent, run.session->body.size());
        EXPECT_EQ(run.transferReports, std::vector<std::uint64_t>{run.verdict.bytesSent});
        EXPECT_EQ(run.verdictReports, 1);
        EXPECT_GE(run.verdict.transferMs, 100 * 5);
        EXPECT_EQ(run.verdict.answer, c.answer.substr(0, c.answer.find_first_of("\r\n")));
        if (success) {
            EXPECT_GE(run.verdict.silenceMs, kSilenceForRestartMs);
        }

        if (c.outcome == UploadOutcome::RefusedByRouter) {
            // Refused like a failed transfer: no flash-writing text, no wait.
            EXPECT_EQ(run.verdict.statusLine, "HTTP/1.0 400 Bad Request");
            EXPECT_EQ(run.verdict.percent, 100);
            EXPECT_EQ(run.StatusAt(), run.events.size());
            continue;
        }
        // The cycles, their posts and percents are those of every wait; the overtime posts nothing.
        const std::vector<Event> wait = run.Wait();
        const int cycles = c.outcome == UploadOutcome::ProbeUnavailable ? c.probes - 1 : 100;
        EXPECT_EQ(Values(wait, Kind::Percent), Sequence(1, cycles));
        EXPECT_EQ(std::count(wait.begin(), wait.end(), Event{Kind::Progress}), cycles);
        const std::vector<int> delays = Values(wait, Kind::Sleep);
        EXPECT_EQ(std::count(delays.begin(), delays.end(), 1'000) == static_cast<long>(delays.size()),
                  c.fullDelays);
        if (!success) {
            continue;
        }
        EXPECT_EQ(Values(wait, Kind::Probe).back(), 0);
        // The run shows the result for a second, then watches the same router on the same clock.
        const test::WatchRecord watched = test::WatchRouter(c.router, run.endMs + 1'000);
        EXPECT_EQ(watched.states, (std::vector<State>{Watching, c.watch}));
        EXPECT_EQ(watched.version, c.watch == Confirmed || c.watch == OtherVersion ? c.router.version : "");
        EXPECT_EQ(watched.queries.size(), c.queries);
    }
}

TEST(UploadWorker, WaitShortensItsCyclesFromTheSilenceOnAndStopsProbingOnceItIsLongEnough) {
    // The delay each cycle should pause when the router falls silent for good at probe `silentAt`.
    const auto expectedDelay = [](int cycle, int silentAt) {
        return cycle <= silentAt ? 1'000 : std::max(1'000 - 30 * (cycle - silentAt), 100);
    };
    WorkerRun run(126'000, {}, {.silentMs = 40'000});
    std::vector<int> expected;
    for (int cycle = 1; cycle <= 100; ++cycle) {
        expected.push_back(expectedDelay(cycle, 40));
    }
    const std::vector<Event> wait = run.Wait();
    EXPECT_EQ(Values(wait, Kind::Sleep), expected);
    EXPECT_EQ(expected[40], 970);
    EXPECT_EQ(expected[68], 130);
    EXPECT_EQ(expected[69], 100);
    // Six silent probes, the last in cycle 45 when the silence reached 10.7 s; none after it.
    std::vector<int> probes = Values(wait, Kind::Probe);
    ASSERT_EQ(probes.size(), 45u);
    EXPECT_EQ(std::vector<int>(probes.begin() + 39, probes.end()), std::vector<int>(6, 0));
    const auto lastProbe = std::find(wait.rbegin(), wait.rend(), Event{Kind::Probe, 0});
    EXPECT_EQ(std::count(wait.rbegin(), lastProbe, Event{Kind::Progress}), 100 - 44);

    // A silence still short when the cycles end goes on at most 30 s, pausing as the cycles would have.
    WorkerRun late(126'000, {}, {.silentMs = 100'000});
    const std::vector<Event> lateWait = late.Wait();
    const auto lastPost = std::find(lateWait.rbegin(), lateWait.rend(), Event{Kind::Progress});
    std::vector<Event> overtime(lastPost.base(), lateWait.end());
    EXPECT_EQ(overtime, (std::vector<Event>{{Kind::Probe, 0},
                                            {Kind::Sleep, 970},
                                            {Kind::Probe, 0},
                                            {Kind::Sleep, 940},
                                            {Kind::Probe, 0},
                                            {Kind::Sleep, 910},
                                            {Kind::Probe, 0},
                                            {Kind::Sleep, 880},
                                            {Kind::Probe, 0},
                                            {Kind::Done, 1}}));
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
    // Each call of the session that can end the transfer, failing in turn, with the cause the worker
    // records: nothing of the body sent, or lost at the percent the router had taken.
    struct Case {
        SessionFault fault;
        UploadOutcome outcome;
        int percent;
    };
    const std::vector<Case> cases = {
        {{"Open", 1}, UploadOutcome::NotConnected, 0},
        {{"Connect", 1}, UploadOutcome::NotConnected, 0},
        {{"OpenRequest", 1}, UploadOutcome::NotConnected, 0},
        {{"AddRequestHeaders", 1}, UploadOutcome::NotConnected, 0},
        {{"SendRequest", 1}, UploadOutcome::NotConnected, 0},
        {{"Write", 1}, UploadOutcome::LostInTransfer, 0},        // the body head
        {{"Write", 1'000}, UploadOutcome::LostInTransfer, 38},   // 998 pieces in: 38 % taken, 39 % shown
        {{"Write", 2'583}, UploadOutcome::LostInTransfer, 99},   // the final piece
        {{"Write", 2'584}, UploadOutcome::LostInTransfer, 100},  // the body tail
    };
    // The same failed writes after the router answered early: only a 401 is the password refused.
    const struct {
        std::string early;
        UploadOutcome outcome;
    } early[] = {
        {"HTTP/1.0 401 Unauthorized\r\n\r\n", UploadOutcome::PasswordRefused},
        {"HTTP/1.1 401\r\n", UploadOutcome::PasswordRefused},
        {"HTTP/1.0 400 Bad Request\r\n", UploadOutcome::LostInTransfer},
        {"401 Unauthorized\r\n", UploadOutcome::LostInTransfer},
        {"", UploadOutcome::LostInTransfer},
    };
    for (const auto& e : early) {
        for (int write : {1, 1'000}) {
            SCOPED_TRACE(e.early + " at write " + std::to_string(write));
            Timeline timeline;
            auto session = std::make_shared<SessionLog>();
            session->earlyAnswer = e.early;
            UploadServices devices = test::FakeUploadServices(timeline, session, {"Write", write});
            std::shared_ptr<const Bytes> image = SharedImage(SyntheticImage(kCarriedImageSize));
            const UploadVerdict verdict = RunUploadJob(JobFor(kCarriedImageSize, &timeline), image, devices);
            EXPECT_EQ(verdict.outcome, e.outcome);
            EXPECT_EQ(FailureText(verdict).find("Connection lost") == std::string::npos,
                      e.outcome == UploadOutcome::PasswordRefused);
        }
    }
    for (const Case& c : cases) {
        const SessionFault& fault = c.fault;
        SCOPED_TRACE(fault.call + " #" + std::to_string(fault.occurrence));
        WorkerRun run(kCarriedImageSize, fault);
        EXPECT_EQ(run.verdict.outcome, c.outcome);
        EXPECT_EQ(run.verdict.percent, c.percent);
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

TEST(UploadWorker, NoSessionOrARequestForAnotherImageFailsBeforeAnythingIsSent) {
    for (const bool noSession : {true, false}) {
        SCOPED_TRACE(noSession ? "no session" : "request built for another image");
        Timeline timeline;
        auto session = std::make_shared<SessionLog>();
        std::shared_ptr<const Bytes> image = SharedImage(SyntheticImage(5'000));
        UploadServices devices = test::FakeUploadServices(timeline, session);
        if (noSession) {
            devices.openSession = [] { return std::unique_ptr<platform::HttpSession>(); };
        }
        const UploadJob job = JobFor(noSession ? 5'000 : 4'999, &timeline);
        EXPECT_EQ(RunUploadJob(job, image, devices).result, 0u);
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(timeline.Events(), std::vector<Event>{(Event{Kind::Done, 0})});
        EXPECT_EQ(std::count(session->calls.begin(), session->calls.end(), "Connect"), 0);
    }
}

// Each way a job can end, from the scripted session and prober to the verdict the window is posted and
// the text the user reads: the cause travels with the final post, and a stop is taken only while the
// image is still going out.
TEST(UploadWorker, CausesReachTheWindowWithTheirTexts) {
    constexpr int kImage = 126'000;  // 100 pieces of one percent each
    struct Case {
        const char* name;
        SessionFault fault;
        Router router;
        std::string answer;
        int stopAtPause;  // the stop is asked for during this pause (1-based); 0: never
        UploadOutcome outcome;
        std::string textHas;  // a piece of the text the user reads; empty: no text
    };
    const std::vector<Case> cases = {
        {"restarted", SessionFault{}, Router{.silentMs = 0}, "", 0, UploadOutcome::Restarted, ""},
        {"no connection", SessionFault{"Connect"}, Router{}, "", 0, UploadOutcome::NotConnected,
         "did not accept the connection"},
        {"lost mid-body", SessionFault{"Write", 40}, Router{}, "", 0, UploadOutcome::LostInTransfer,
         "lost at 38%"},
        {"refused, control bytes in its line", SessionFault{}, Router{.silentMs = 0},
         "HTTP/1.0 403 No\x1b[2J way\r\n", 0, UploadOutcome::RefusedByRouter,
         "refused the image (HTTP/1.0 403 No?[2J way)"},
        {"no restart", SessionFault{}, Router{}, "", 0, UploadOutcome::NoRestart, "did not restart"},
        {"no ping", SessionFault{}, Router{.unpingableMs = 0}, "", 0, UploadOutcome::ProbeUnavailable,
         "does not let the program send pings"},
        {"stopped mid-body", SessionFault{}, Router{}, "", 20, UploadOutcome::Stopped, "was stopped"},
        // The settle pause comes after the last byte: a stop asked for then is not taken.
        {"stop after the last byte", SessionFault{}, Router{.silentMs = 0}, "", 102, UploadOutcome::Restarted,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Timeline timeline;
        auto session = std::make_shared<SessionLog>();
        session->answer = c.answer;
        UploadControl control;
        UploadServices devices = test::FakeUploadServices(timeline, session, c.fault, c.router.Probes());
        int pauses = 0;
        devices.sleep = [&, sleep = devices.sleep](int ms) {
            if (++pauses == c.stopAtPause) {
                control.stop.store(true);
            }
            sleep(ms);
        };
        std::shared_ptr<const Bytes> image = SharedImage(SyntheticImage(kImage));
        UploadJob job = JobFor(kImage, &timeline);
        job.control = &control;
        const UploadVerdict verdict = RunUploadJob(job, image, devices);

        const bool success = c.outcome == UploadOutcome::Restarted;
        EXPECT_EQ(verdict.outcome, c.outcome);
        EXPECT_EQ(verdict.result, success ? 1u : 0u);
        const std::vector<UploadVerdict> posted = timeline.Verdicts();
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].outcome, verdict.outcome);
        EXPECT_EQ(posted[0].percent, verdict.percent);
        EXPECT_EQ(timeline.Events().back(), (Event{Kind::Done, success ? 1 : 0}));
        const std::string text = FailureText(posted[0]);
        EXPECT_EQ(text.empty(), c.textHas.empty()) << text;
        EXPECT_NE(text.find(c.textHas), std::string::npos) << text;
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) { return ch >= 0x20 && ch < 0x7F; }));
        EXPECT_EQ(control.bodySent.load(), success || c.outcome == UploadOutcome::NoRestart ||
                                               c.outcome == UploadOutcome::ProbeUnavailable ||
                                               c.outcome == UploadOutcome::RefusedByRouter);
        if (c.outcome == UploadOutcome::Stopped) {
            // Closed mid-body: the pieces sent before the stop, no tail, no answer awaited.
            EXPECT_EQ(session->calls.back(), "Close");
            EXPECT_EQ(std::count(session->calls.begin(), session->calls.end(), "ReadAnswer"), 0);
            EXPECT_EQ(session->writeSizes.size(), static_cast<std::size_t>(c.stopAtPause));
            EXPECT_EQ(verdict.percent, 19);  // 20 % shown: the bar runs one step ahead of the bytes taken
        }
    }
}

}  // namespace
// A router that takes each piece slowly, within the piece's own limit: the body as a whole still ends
// ten minutes in, with the percent the router had taken.
TEST(UploadWorker, SlowRouterEndsAtTheTransferDeadline) {
    const struct {
        int slowMs;  // how long each pause seems to take beyond its own 5 ms
        UploadOutcome outcome;
        int percent;
        const char* textHas;
    } cases[] = {
        {0, UploadOutcome::Restarted, 0, ""},
        {220, UploadOutcome::Restarted, 0, ""},  // 2,583 pieces in 9 min 41 s
        {250, UploadOutcome::TooSlow, 91, "too slowly and the transfer was ended at 91%"},
        {30'000, UploadOutcome::TooSlow, 0, "ended at 0%"},  // 30 s a piece: 19 pieces in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slowMs);
        Timeline timeline;
        auto session = std::make_shared<SessionLog>();
        UploadServices devices =
            test::FakeUploadServices(timeline, session, {}, Router{.silentMs = 0}.Probes());
        auto extra = std::make_shared<std::int64_t>(0);
        devices.nowMs = [extra, now = devices.nowMs] { return now() + *extra; };
        devices.sleep = [extra, &c, sleep = devices.sleep](int ms) {
            *extra += ms == kPiecePauseMs ? c.slowMs : 0;
            sleep(ms);
        };
        std::shared_ptr<const Bytes> image = SharedImage(SyntheticImage(kCarriedImageSize));
        const UploadVerdict verdict = RunUploadJob(JobFor(kCarriedImageSize, &timeline), image, devices);
        EXPECT_EQ(verdict.outcome, c.outcome);
        EXPECT_EQ(verdict.percent, c.percent);
        const std::string text = FailureText(verdict);
        EXPECT_NE(text.find(c.textHas), std::string::npos) << text;
    }
}

// The silence is told when it reaches the restart's length, once, with the flash wait still under way; a
// router silent for one probe only (probe 40, at 52,954 ms) or never is not told.
TEST(UploadWorker, SilenceIsToldWhenReached) {
    const struct {
        Router router;
        int told;
    } cases[] = {
        {Router{.silentMs = 0}, 1}, {Router{.silentMs = 52'000, .backMs = 54'000}, 0}, {Router{}, 0}};
    for (const auto& c : cases) {
        Timeline timeline;
        auto session = std::make_shared<SessionLog>();
        UploadServices devices = test::FakeUploadServices(timeline, session, {}, c.router.Probes());
        std::vector<std::int64_t> told;
        std::size_t eventsWhenTold = 0;
        devices.silenceReached = [&](std::int64_t ms) {
            told.push_back(ms);
            eventsWhenTold = timeline.Events().size();
        };
        std::shared_ptr<const Bytes> image = SharedImage(SyntheticImage(kCarriedImageSize));
        RunUploadJob(JobFor(kCarriedImageSize, &timeline), image, devices);
        ASSERT_EQ(told.size(), static_cast<std::size_t>(c.told));
        if (c.told == 1) {
            EXPECT_GE(told[0], 10'000);
            EXPECT_LT(told[0], 11'100);  // within one probe's cycle of the length
            EXPECT_LT(eventsWhenTold + 10, timeline.Events().size());  // cycles still to come
        }
    }
}

// The bytes the progress posts carry are those the session wrote, as counted: each transfer post the
// body head and the whole pieces out so far (rising), the start over and the flash wait's posts the whole
// body; and the session's count agrees.
TEST(UploadWorker, ProgressCarriesTheBodyBytesWritten) {
    WorkerRun run(12'600);  // ten pieces of 1,260 bytes
    const std::vector<std::uint64_t> bytes = run.timeline.Bytes();
    const UploadJob job = JobFor(12'600, nullptr);
    const std::uint64_t head = job.request.bodyHead.size();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.front(), head + 1'260);
    EXPECT_TRUE(std::is_sorted(bytes.begin(), bytes.end()));
    EXPECT_EQ(bytes.back(), job.request.bodyLength);
    EXPECT_EQ(run.verdict.bytesSent, job.request.bodyLength);
    EXPECT_EQ(run.session->body.size(), job.request.bodyLength);
}

}  // namespace fwu
