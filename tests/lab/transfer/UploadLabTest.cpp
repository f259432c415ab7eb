// The upload start and worker against the simulated router, end to end with real sockets, the real HTTP
// client, ICMP probes and pauses: the router must receive the request byte for byte, and the result must
// follow what the router does afterwards (restarts, never restarts, refuses the image, drops a few pings,
// resets the upload, is not there).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/labsupport/RouterSim.h"
#include "tools/labsupport/UploadRecorder.h"
#include "transfer/UploadJobRunner.h"

namespace fwu {
namespace {

using test::Event;
using test::Kind;
using test::Timeline;

constexpr int kLongWaitMs = 240'000;  // the carried image: ~13 s of pieces and up to 100 cycles
const std::string kRouter = "192.168.1.1";
const UploadTarget kRequest{RouterAddress::Split(kRouter), "OnJvZGVs"};  // ":rodel"

// An image with the router's header (version 2.00.23) and filler, packed after a stand-in program like
// the packing tool does, and read back through the digest check.
platform::Payload PackedImage(int size, QTemporaryDir& dir) {
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i) {
        image[i] = static_cast<char>((i * 31 + i / 977) & 0xFF);
    }
    const char header[6] = {0x06, 0x0B, 0x1B, 0x02, 0x00, 0x17};
    for (int i = 0; i < 6 && 8 + i < size; ++i) {
        image[8 + i] = header[i];
    }
    const QString path = dir.filePath("packed.bin");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray(4096, 'P') + image +
                   test::ToQByteArray(platform::MakePayloadTrailer(test::AsByteView(image))));
        file.close();
    }
    return platform::ReadAppendedPayload(path.toStdString());
}

UploadStartServices StartDevicesWithImage(platform::Payload payload) {
    UploadStartServices devices = SystemUploadStartServices();
    const std::shared_ptr<const Bytes> image = VerifiedImage(std::move(payload));
    devices.readImage = [image] { return image; };
    return devices;
}

// Checks that the router took the upload with no difference and stored exactly `image`.
void ExpectReceivedExactly(const lab::RouterSim& sim, const Bytes& bytes) {
    const QByteArray image = test::ToQByteArray(bytes);
    const auto upload = sim.WaitForEvent("upload", 60'000);
    ASSERT_TRUE(upload);
    EXPECT_TRUE(upload->value("differences").toArray().isEmpty())
        << QJsonDocument(upload->value("differences").toArray()).toJson().toStdString();
    EXPECT_TRUE(upload->value("accepted").toBool());
    EXPECT_EQ(upload->value("credential").toString(), "accepted");
    EXPECT_EQ(upload->value("extra").toInteger(), 0);
    EXPECT_EQ(upload->value("image_size").toInteger(), image.size());
    EXPECT_EQ(upload->value("image_sha256").toString(),
              QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex()));
    QFile saved(QString::fromLatin1(lab::LoggedBytes(upload->value("saved"))));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == image);
}

std::size_t CountOf(const std::vector<Event>& events, Kind kind) {
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; }));
}

TEST(UploadLab, SmallPackedImageArrivesExactlyAndTheRestartCountsAsSuccess) {
    lab::RouterSim sim({"--flash-ms", "300", "--restart-ms", "30000"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QTemporaryDir dir;
    const platform::Payload payload = PackedImage(20'000, dir);
    ASSERT_EQ(payload.status, platform::PayloadStatus::Ok);
    Timeline window;
    UploadJobRunner runner(StartDevicesWithImage(payload), SystemUploadServices());

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ExpectReceivedExactly(sim, payload.data);
    ASSERT_TRUE(window.WaitForDone(kLongWaitMs));
    runner.Join();
    const std::vector<Event> events = window.Events();
    EXPECT_EQ(events.back(), (Event{Kind::Done, 1}));
    EXPECT_EQ(CountOf(events, Kind::Status), 1u);
    EXPECT_TRUE(sim.WaitForEvent("restart", 1'000));
}

TEST(UploadLab, CarriedImageArrivesExactlyAndTheRestartCountsAsSuccess) {
    const platform::Payload carried = platform::ReadOwnPayload();
    ASSERT_EQ(carried.status, platform::PayloadStatus::Ok);
    ASSERT_EQ(carried.data.size(), 3'253'248u);
    lab::RouterSim sim({"--flash-ms", "1500", "--restart-ms", "60000"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    Timeline window;
    UploadJobRunner runner;  // everything as the program has it: its own image, port 80, real pauses

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ExpectReceivedExactly(sim, carried.data);
    // 2,582 pauses of 5 ms at least.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(12'910));
    ASSERT_TRUE(window.WaitForDone(kLongWaitMs));
    runner.Join();
    const std::vector<Event> events = window.Events();
    EXPECT_EQ(events.back(), (Event{Kind::Done, 1}));
    EXPECT_EQ(CountOf(events, Kind::Progress), 200u);
    const auto back = sim.Events("upload");
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back.front().value("image_version").toString(), "v2.00.22");
}

TEST(UploadLab, RouterThatNeverRestartsGivesZero) {
    lab::RouterSim sim({"--fault", "no-restart", "--flash-ms", "200"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QTemporaryDir dir;
    const platform::Payload payload = PackedImage(1'000, dir);  // one wait cycle
    Timeline window;
    UploadJobRunner runner(StartDevicesWithImage(payload), SystemUploadServices());

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ExpectReceivedExactly(sim, payload.data);
    ASSERT_TRUE(window.WaitForDone(30'000));
    runner.Join();
    EXPECT_EQ(window.Events().back(), (Event{Kind::Done, 0}));
    EXPECT_TRUE(sim.Events("restart").isEmpty());
}

TEST(UploadLab, SameSmallImageWithARestartingRouterGivesOne) {
    // The counterpart of the case above: only the router's restart makes the difference.
    lab::RouterSim sim({"--flash-ms", "200", "--restart-ms", "30000"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QTemporaryDir dir;
    Timeline window;
    UploadJobRunner runner(StartDevicesWithImage(PackedImage(1'000, dir)), SystemUploadServices());

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    ASSERT_TRUE(window.WaitForDone(30'000));
    runner.Join();
    EXPECT_EQ(window.Events().back(), (Event{Kind::Done, 1}));
}

TEST(UploadLab, RefusedUploadsAndLostPingsAreNoSuccess) {
    struct Case {
        const char* name;
        QStringList sim;
        const char* lastEvent;  // what the router logs last on this path
        bool flashWait;         // the worker got as far as the flash wait
    };
    const Case cases[] = {
        {"refuses the image", {"--upload-answer", "HTTP/1.0 400 Bad Request"}, "upload-answer", false},
        // The reproduction: the image refused, then one ping missed.
        {"refuses the image, then misses pings for 1.5 s",
         {"--upload-answer", "HTTP/1.0 400 Bad Request", "--miss-pings-ms", "1500"},
         "pings-on",
         false},
        {"takes the image, misses pings for 2.5 s and never restarts",
         {"--miss-pings-ms", "2500"},
         "pings-on",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lab::RouterSim sim(c.sim);
        ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
        QTemporaryDir dir;
        const platform::Payload payload = PackedImage(1'000, dir);  // one wait cycle
        Timeline window;
        UploadJobRunner runner(StartDevicesWithImage(payload), SystemUploadServices());

        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
        ExpectReceivedExactly(sim, payload.data);
        ASSERT_TRUE(window.WaitForDone(60'000));
        runner.Join();
        const std::vector<Event> events = window.Events();
        EXPECT_EQ(events.back(), (Event{Kind::Done, 0}));
        EXPECT_EQ(CountOf(events, Kind::Done), 1u);
        EXPECT_EQ(CountOf(events, Kind::Status), c.flashWait ? 1u : 0u);
        EXPECT_TRUE(sim.WaitForEvent(c.lastEvent, 10'000));
        EXPECT_TRUE(sim.Events("restart").isEmpty());
        // Refused: over as soon as the answer is read. Lost pings: over once the router answers again.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(c.flashWait ? 15 : 5));
    }
}

TEST(UploadLab, ClosedPortMakesTheStartFailWithNothingPosted) {
    lab::RouterSim sim({"--fault", "closed"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    Timeline window;
    UploadJobRunner runner;

    EXPECT_FALSE(runner.StartUploadJob(kRequest, window));
    runner.Join();
    EXPECT_TRUE(window.Events().empty());
}

TEST(UploadLab, UploadResetByTheRouterGivesZeroPromptly) {
    lab::RouterSim sim({"--fault", "reset-upload"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QTemporaryDir dir;
    Timeline window;
    UploadJobRunner runner(StartDevicesWithImage(PackedImage(400'000, dir)), SystemUploadServices());

    ASSERT_TRUE(runner.StartUploadJob(kRequest, window));
    const auto aborted = sim.WaitForEvent("upload-aborted", 20'000);
    ASSERT_TRUE(aborted);
    const auto resetAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(window.WaitForDone(5'000));
    EXPECT_LT(std::chrono::steady_clock::now() - resetAt, std::chrono::seconds(2));
    runner.Join();
    const std::vector<Event> events = window.Events();
    EXPECT_EQ(events.back(), (Event{Kind::Done, 0}));
    EXPECT_EQ(CountOf(events, Kind::Status), 0u);  // no flash wait
    EXPECT_EQ(CountOf(events, Kind::Done), 1u);
}

}  // namespace
}  // namespace fwu
