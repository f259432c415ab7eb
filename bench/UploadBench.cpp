// Upload benchmark, run inside the network lab: sends the carried image to the simulated router through
// the real upload start, worker and HTTP client, and prints how the transfer's wall time compares with
// its 2,582 pauses of 5 ms, how much of one core the process used meanwhile, and the peak resident size.
// The flash wait after the transfer is skipped (no pauses, the router taken as silent at once).
#include <QCoreApplication>
#include <QJsonArray>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/HttpClient.h"
#include "platform/ProcessStats.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/labsupport/RouterSim.h"
#include "tools/labsupport/UploadRecorder.h"
#include "transfer/UploadJobRunner.h"
#include "transfer/UploadSchedule.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPauses = 2'582;  // pieces of the carried image, each after one pause

// When the body started and when the request was closed, in wall time and process CPU time.
struct TransferClock {
    std::mutex mutex;
    Clock::time_point wallStart, wallEnd;
    std::clock_t cpuStart = 0, cpuEnd = 0;
    std::atomic<bool> over{false};
};

// The real HTTP client with the transfer's start and end stamped.
class TimedSession final : public fwu::platform::HttpSession {
public:
    explicit TimedSession(TransferClock& clock) : clock(clock) {}
    bool Open(const std::string& name) override { return client.Open(name); }
    bool Connect(const std::string& server, std::uint16_t port) override {
        return client.Connect(server, port);
    }
    bool OpenRequest(const std::string& verb, const std::string& object,
                     const std::string& version) override {
        return client.OpenRequest(verb, object, version);
    }
    bool AddRequestHeaders(std::string_view block) override { return client.AddRequestHeaders(block); }
    bool SendRequest(std::uint32_t bodyLength) override {
        std::lock_guard lock(clock.mutex);
        clock.wallStart = Clock::now();
        clock.cpuStart = std::clock();
        return client.SendRequest(bodyLength);
    }
    bool Write(const char* data, std::size_t length) override { return client.Write(data, length); }
    // The body is complete once the answer is asked for; the router's answer is not part of the transfer.
    std::string ReadAnswer() override {
        Stamp();
        return client.ReadAnswer();
    }
    void Close() override {
        client.Close();
        Stamp();
    }

private:
    void Stamp() {
        std::lock_guard lock(clock.mutex);
        if (!clock.over) {
            clock.wallEnd = Clock::now();
            clock.cpuEnd = std::clock();
            clock.over = true;
        }
    }

    TransferClock& clock;
    fwu::platform::HttpClient client;
};

}  // namespace

int main(int argc, char** argv) {
    fwu::lab::RequireLabNamespace();
    QCoreApplication app(argc, argv);

    fwu::lab::RouterSim sim({"--flash-ms", "500", "--restart-ms", "2000"});
    if (!sim.Started()) {
        std::fprintf(stderr, "upload-bench: %s\n", sim.Error().toStdString().c_str());
        return 1;
    }

    TransferClock clock;
    fwu::UploadServices devices = fwu::SystemUploadServices();
    devices.openSession = [&clock] { return std::make_unique<TimedSession>(clock); };
    // After the transfer the pauses only move the worker's clock, so its silence is long enough at once.
    auto waitClock = std::make_shared<std::atomic<std::int64_t>>(0);
    devices.nowMs = [waitClock] { return waitClock->load(); };
    devices.sleep = [&clock, waitClock](int ms) {
        *waitClock += ms;
        if (!clock.over) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
    };
    devices.probe = [](const std::string&) { return fwu::ProbeOutcome::Silent; };
    fwu::UploadJobRunner runner(fwu::SystemUploadStartServices(), devices);
    fwu::test::Timeline window;

    if (!runner.StartUploadJob({fwu::RouterAddress::Split(sim.Address().toStdString()), "OnJvZGVs"},
                               window)) {
        std::fprintf(stderr, "upload-bench: the upload did not start\n");
        return 1;
    }
    const bool done = window.WaitForDone(120'000);
    runner.Join();
    const auto upload = sim.WaitForEvent("upload", 10'000);
    if (!done || !upload || !upload->value("accepted").toBool()) {
        std::fprintf(stderr, "upload-bench: the router did not take the upload\n");
        return 1;
    }

    std::lock_guard lock(clock.mutex);
    const double wallMs = std::chrono::duration<double, std::milli>(clock.wallEnd - clock.wallStart).count();
    const double cpuMs = 1000.0 * static_cast<double>(clock.cpuEnd - clock.cpuStart) / CLOCKS_PER_SEC;
    const double pausesMs = kPauses * fwu::kPiecePauseMs;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::printf("note: built with a sanitizer; CPU and memory figures are inflated\n");
#endif
    std::printf("image bytes                 %lld\n",
                static_cast<long long>(upload->value("image_size").toInteger()));
    std::printf("transfer wall time          %.0f ms\n", wallMs);
    std::printf("pauses alone (2582 x 5 ms)  %.0f ms\n", pausesMs);
    std::printf("wall time / pauses          %.3f\n", wallMs / pausesMs);
    std::printf(
        "CPU during the transfer     %.0f ms = %.1f %% of one core (process; the worker is its only busy "
        "thread)\n",
        cpuMs, wallMs > 0 ? 100.0 * cpuMs / wallMs : 0.0);
    std::printf("peak RSS                    %ld KiB\n", fwu::platform::PeakResidentKiB());
    return 0;
}
