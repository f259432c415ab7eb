// The upload start on the test's thread and the worker on its own: the order of the checks, what a
// refused start leaves behind (nothing sent, nothing posted), and a whole upload to a loopback listener
// through the real HTTP client and socket checks.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackListener.h"
#include "platform/EmbeddedPayload.h"
#include "platform/HttpClient.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/labsupport/UploadRecorder.h"
#include "transfer/UploadJobRunner.h"
#include "transfer/UploadRequest.h"

namespace fwu {
namespace {

using test::Event;
using test::Kind;
using test::LoopbackListener;
using test::SessionLog;
using test::SyntheticImage;
using test::Timeline;

constexpr int kWaitMs = 10'000;

std::shared_ptr<const Bytes> GoodPayload(const QByteArray& image) {
    return std::make_shared<const Bytes>(test::ToBytes(image));
}

// Start devices that log each step by name; every check passes unless a test changes it. The socket
// handed out is a real one, so closing it is safe.
struct StartLog {
    std::mutex mutex;
    std::vector<std::string> steps;
    void Add(const std::string& step) {
        std::lock_guard lock(mutex);
        steps.push_back(step);
    }
    std::vector<std::string> Steps() {
        std::lock_guard lock(mutex);
        return steps;
    }
};

UploadStartServices LoggingUploadStartServices(StartLog& log, QByteArray image) {
    UploadStartServices devices;
    devices.resolveHost = [&log](const std::string&) {
        log.Add("resolve");
        return HostLookup::Found;
    };
    devices.flushArpEntry = [&log](const std::string&) { log.Add("flush"); };
    devices.readImage = [&log, image] {
        log.Add("image");
        return GoodPayload(image);
    };
    devices.createSocket = [&log](platform::SocketHandle* out, platform::SocketKind kind) {
        log.Add("create");
        *out = platform::OpenSocket(kind);
        return *out == platform::kInvalidSocket ? 1 : 0;
    };
    devices.connectSocket = [&log](platform::SocketHandle, const std::string&, std::uint16_t port) {
        log.Add("connect:" + std::to_string(port));
        return 0;
    };
    return devices;
}

const UploadTarget kRequest{RouterAddress::Split("127.0.0.1"), "OmFkbWlu"};  // ":admin"

TEST(UploadJobRunner, ChecksInOrderThenRunsTheWorkerOnItsOwnThread) {
    Timeline window;
    StartLog log;
    auto session = std::make_shared<SessionLog>();
    UploadServices worker = test::FakeUploadServices(window, session);
    std::mutex idMutex;
    std::thread::id workerId;
    worker.sleep = [&](int ms) {
        std::lock_guard lock(idMutex);
        workerId = std::this_thread::get_id();
        window.Add({Kind::Sleep, ms});
    };
    UploadJobRunner runner(LoggingUploadStartServices(log, SyntheticImage(5'000)), worker);

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ASSERT_TRUE(window.WaitForDone(kWaitMs));
    runner.Join();

    EXPECT_EQ(log.Steps(), (std::vector<std::string>{"resolve", "flush", "image", "create", "connect:80"}));
    {
        std::lock_guard lock(idMutex);
        EXPECT_NE(workerId, std::this_thread::get_id());
        EXPECT_NE(workerId, std::thread::id{});
    }
    const std::vector<Event> events = window.Events();
    EXPECT_EQ(events.back(), (Event{Kind::Done, 0}));
    EXPECT_EQ(session->bodyLength, 5'000u + 588u);
    EXPECT_EQ(session->server, "127.0.0.1");
}

TEST(UploadJobRunner, RefusedStartSendsAndPostsNothing) {
    QByteArray damaged = SyntheticImage(5'000);
    QByteArray packed = QByteArray("program bytes") + damaged +
                        test::ToQByteArray(platform::MakePayloadTrailer(test::AsByteView(damaged)));
    packed[100] = static_cast<char>(packed[100] ^ 0x40);  // one payload byte changed after packing

    struct Case {
        const char* name;
        std::function<void(UploadStartServices&)> breakIt;
        std::vector<std::string> stepsTaken;
    };
    const std::vector<Case> cases = {
        {"unresolvable address",
         [](UploadStartServices& d) {
             d.resolveHost = [](const std::string&) { return HostLookup::NotFound; };
         },
         {}},
        {"image digest mismatch",
         [&packed](UploadStartServices& d) {
             d.readImage = [&packed] {
                 return VerifiedImage(platform::SplitPackedBytes(test::AsByteView(packed)));
             };
         },
         {"resolve", "flush"}},
        {"no image carried",
         [](UploadStartServices& d) {
             d.readImage = [] {
                 platform::Payload none;
                 none.status = platform::PayloadStatus::NoPayload;
                 return VerifiedImage(none);
             };
         },
         {"resolve", "flush"}},
        {"empty image",
         [](UploadStartServices& d) { d.readImage = [] { return GoodPayload(QByteArray()); }; },
         {"resolve", "flush"}},
        {"no socket",
         [](UploadStartServices& d) {
             d.createSocket = [](platform::SocketHandle* out, platform::SocketKind) {
                 *out = platform::kInvalidSocket;
                 return 1;
             };
         },
         {"resolve", "flush", "image"}},
        {"port 80 refuses",
         [](UploadStartServices& d) {
             d.connectSocket = [](platform::SocketHandle, const std::string&, std::uint16_t) { return -1; };
         },
         {"resolve", "flush", "image", "create"}},
        {"no thread for the worker",
         [](UploadStartServices& d) {
             d.startThread = [](std::thread&, const std::function<void()>&) { return false; };
         },
         {"resolve", "flush", "image", "create", "connect:80"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Timeline window;
        StartLog log;
        auto session = std::make_shared<SessionLog>();
        UploadStartServices start = LoggingUploadStartServices(log, SyntheticImage(5'000));
        c.breakIt(start);
        UploadJobRunner runner(start, test::FakeUploadServices(window, session));
        EXPECT_FALSE(runner.StartUploadJob(kRequest, window));
        runner.Join();
        std::vector<std::string> steps = log.Steps();
        EXPECT_EQ(std::vector<std::string>(steps.begin(),
                                           steps.begin() + std::min(steps.size(), c.stepsTaken.size())),
                  c.stepsTaken);
        EXPECT_LE(steps.size(), c.stepsTaken.size() + 1);
        EXPECT_TRUE(window.Events().empty());
        EXPECT_TRUE(session->calls.empty());
    }
}

TEST(UploadJobRunner, ClosedPortOnLoopbackMakesTheStartFail) {
    Timeline window;
    StartLog log;
    auto session = std::make_shared<SessionLog>();
    UploadStartServices start = SystemUploadStartServices();
    start.flushArpEntry = [&log](const std::string&) { log.Add("flush"); };
    start.readImage = [] { return GoodPayload(SyntheticImage(5'000)); };
    start.routerPort = LoopbackListener::ClosedPort();
    UploadJobRunner runner(start, test::FakeUploadServices(window, session));

    EXPECT_FALSE(runner.StartUploadJob(kRequest, window));
    runner.Join();
    EXPECT_TRUE(window.Events().empty());
    EXPECT_TRUE(session->calls.empty());
}

TEST(UploadJobRunner, UploadsThroughTheRealClientAndClosesTheProbeConnection) {
    LoopbackListener listener;
    ASSERT_TRUE(listener.Ok());
    Timeline window;
    const QByteArray image = SyntheticImage(30'000);
    UploadStartServices start = SystemUploadStartServices();
    start.flushArpEntry = [](const std::string&) {};
    start.readImage = [&image] { return GoodPayload(image); };
    start.routerPort = listener.Port();
    UploadServices worker = SystemUploadServices();
    // The listener never answers the upload: the answer's wait is cut short here.
    worker.openSession = [] {
        platform::HttpTimeouts limits;
        limits.answerMs = 200;
        return std::make_unique<platform::HttpClient>(limits);
    };
    // Falls silent at once and stays so: restarting. The pauses move a clock of their own.
    auto clock = std::make_shared<std::atomic<std::int64_t>>(0);
    worker.nowMs = [clock] { return clock->load(); };
    worker.sleep = [clock](int ms) { *clock += ms; };
    worker.probe = [](const std::string&) { return ProbeOutcome::Silent; };
    UploadJobRunner runner(start, worker);

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ASSERT_TRUE(window.WaitForDone(kWaitMs));
    // Two connections, both closed by the time the result is posted: the probe connection with nothing
    // on it, and the upload.
    std::vector<std::string> received = listener.WaitForClosed(2, kWaitMs);
    runner.Join();
    EXPECT_EQ(window.Events().back(), (Event{Kind::Done, 1}));
    ASSERT_EQ(received.size(), 2u);
    if (received[0].size() > received[1].size()) {
        std::swap(received[0], received[1]);
    }
    EXPECT_TRUE(received[0].empty());
    const std::string& upload = received[1];
    const auto request =
        BuildUploadHttpRequest("127.0.0.1", "OmFkbWlu", static_cast<std::uint64_t>(image.size()));
    ASSERT_TRUE(request);
    const auto headEnd = upload.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    EXPECT_TRUE(upload.starts_with("POST /upgrade.cgi HTTP/1.0\r\n"));
    EXPECT_NE(upload.find("\r\nContent-Length: 30588\r\n"), std::string::npos);
    EXPECT_TRUE(upload.substr(headEnd + 4) == request->bodyHead + image.toStdString() + request->bodyTail);
}

TEST(UploadJobRunner, RefusesASecondJobWhileOneRunsAndTakesTheNextAfterIt) {
    Timeline window;
    StartLog log;
    auto session = std::make_shared<SessionLog>();
    UploadServices worker = test::FakeUploadServices(window, session);
    std::mutex mutex;
    std::condition_variable released;
    bool go = false;
    worker.sleep = [&](int) {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return go; });
    };
    UploadJobRunner runner(LoggingUploadStartServices(log, SyntheticImage(2'000)), worker);

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    EXPECT_FALSE(runner.StartUploadJob(kRequest, window));
    EXPECT_EQ(log.Steps().size(), 5u) << "the refused start checked nothing";
    {
        std::lock_guard lock(mutex);
        go = true;
    }
    released.notify_all();
    ASSERT_TRUE(window.WaitForDone(kWaitMs));

    // A retry after the first job has posted its result starts a new one.
    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    runner.Join();
    const std::vector<Event> events = window.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), (Event{Kind::Done, 0})), 2);
}

}  // namespace
}  // namespace fwu
