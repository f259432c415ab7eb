// Starts the upload on the window's thread and owns what the job needs while it runs: the upload job, the
// image copy, the probe socket that proved the router's web server accepts connections, and the worker
// thread. The dialog's upgrade services forward StartUploadJob here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Bytes.h"
#include "platform/EmbeddedPayload.h"
#include "platform/Process.h"
#include "platform/Socket.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadWindow.h"
#include "transfer/UploadWorker.h"

namespace fwu {

// The checks and the image source of the upload start; tests replace them.
struct UploadStartServices {
    std::function<HostLookup(const std::string& address)> resolveHost;
    std::function<void(const std::string& address)> flushArpEntry;
    // The carried image, checked against its digest; null when it is missing, damaged or empty. The bytes
    // are shared with whoever read them, never copied for the upload.
    std::function<std::shared_ptr<const Bytes>()> readImage;
    std::function<int(platform::SocketHandle* out, platform::SocketKind kind)> createSocket;
    std::function<int(platform::SocketHandle socket, const std::string& address, std::uint16_t port)>
        connectSocket;
    std::uint16_t routerPort = kRouterHttpPort;  // the web server checked here and posted to by the worker
    platform::ThreadStarter startThread = platform::StartThread;  // starts the worker thread
};

// The router helpers, the program's own carried image and port 80.
UploadStartServices SystemUploadStartServices();

// The payload's bytes as the upload takes them: null unless the payload was read whole and checked.
std::shared_ptr<const Bytes> VerifiedImage(platform::Payload payload);

class UploadJobRunner {
public:
    UploadJobRunner();  // the system's devices
    UploadJobRunner(UploadStartServices startDevices, UploadServices workerDevices);
    ~UploadJobRunner();  // waits for a running worker: it holds references into this object and the window
    UploadJobRunner(const UploadJobRunner&) = delete;
    UploadJobRunner& operator=(const UploadJobRunner&) = delete;

    // Checks the router and the image and starts the worker. True when the worker runs and will post
    // WM_UPGRADE_DONE exactly once to `window`; false when nothing was started and nothing will be posted
    // (also while an earlier job still runs, and when no thread could be created for it). `window` must
    // outlive the job.
    bool StartUploadJob(const UploadTarget& target, UploadWindow& window);

    // True from a successful start until the worker has made its final post; on the starting thread.
    bool Running() const { return workerThread.joinable() && !jobFinished.load(std::memory_order_acquire); }

    // Waits until the worker thread, if any, has ended.
    void Join();

    // True while the running worker is still sending the image: a stop would still be taken.
    bool Stoppable() const { return Running() && !control.bodySent.load(); }
    // Asks the running worker to stop sending; it ends within a pause and posts UploadOutcome::Stopped,
    // unless the last byte is already out. Nothing when no worker runs.
    void Stop();

private:
    // Stands between the worker and the window to see the job's end: the probe socket is closed and the
    // job marked finished just before the final post is passed on.
    class JobWindow final : public UploadWindow {
    public:
        explicit JobWindow(UploadJobRunner& owner) : runner(owner) {}
        void PostUpgradeProgress(const UploadProgress& progress) override {
            target->PostUpgradeProgress(progress);
        }
        void ResetPercent(std::uint64_t bodyBytes) override { target->ResetPercent(bodyBytes); }
        void PostStatusText(int stringId) override { target->PostStatusText(stringId); }
        void PostUpgradeVerdict(const UploadVerdict& verdict) override;

        UploadWindow* target = nullptr;

    private:
        UploadJobRunner& runner;
    };

    UploadStartServices startDevices;
    UploadServices workerDevices;
    JobWindow jobWindow{*this};
    UploadJob uploadJob;
    std::shared_ptr<const Bytes> imageData;  // the image; the worker lets go of it when the transfer ends
    platform::SocketHandle probeSocket = platform::kInvalidSocket;
    std::atomic<bool> jobFinished{true};
    UploadControl control;
    std::thread workerThread;
};

}  // namespace fwu
