#include "transfer/UploadJobRunner.h"

#include <optional>
#include <utility>

#include "platform/Secrets.h"
#include "router/Probe.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadSchedule.h"

namespace fwu {

UploadStartServices SystemUploadStartServices() {
    UploadStartServices devices;
    devices.resolveHost = [](const std::string& address) { return ResolveHost(address); };
    devices.flushArpEntry = [](const std::string& address) { FlushArpEntry(address); };
    devices.readImage = [] { return VerifiedImage(platform::ReadOwnPayload()); };
    devices.createSocket = [](platform::SocketHandle* out, platform::SocketKind kind) {
        return CreateSocket(out, kind);
    };
    devices.connectSocket = [](platform::SocketHandle socket, const std::string& address,
                               std::uint16_t port) { return ConnectSocket(socket, address, port); };
    return devices;
}

std::shared_ptr<const Bytes> VerifiedImage(platform::Payload payload) {
    if (payload.status != platform::PayloadStatus::Ok || payload.data.empty()) {
        return nullptr;
    }
    return std::make_shared<const Bytes>(std::move(payload.data));
}

UploadJobRunner::UploadJobRunner() : UploadJobRunner(SystemUploadStartServices(), SystemUploadServices()) {}

UploadJobRunner::UploadJobRunner(UploadStartServices start, UploadServices worker)
    : startDevices(std::move(start)), workerDevices(std::move(worker)) {}

UploadJobRunner::~UploadJobRunner() {
    Join();
}

void UploadJobRunner::Join() {
    if (workerThread.joinable()) {
        workerThread.join();
    }
    // The header block carries the credential; it is not left behind in the job once the worker is done.
    platform::WipeSecret(uploadJob.request.headerBlock);
    // Normally closed by the worker at its end; this covers a worker that never got that far.
    platform::CloseSocket(probeSocket);
}

void UploadJobRunner::JobWindow::PostUpgradeVerdict(const UploadVerdict& verdict) {
    platform::CloseSocket(runner.probeSocket);
    runner.jobFinished.store(true, std::memory_order_release);
    target->PostUpgradeVerdict(verdict);
}

void UploadJobRunner::Stop() {
    if (Running()) {
        control.stop.store(true);
    }
}

bool UploadJobRunner::StartUploadJob(const UploadTarget& target, UploadWindow& window) {
    // Sockets and the request need the address as text; it is made here, once.
    const std::string address = target.address.Dotted();
    // The worker's last act is its final post; once it has marked the job finished, joining is immediate.
    if (workerThread.joinable()) {
        if (!jobFinished.load(std::memory_order_acquire)) {
            return false;
        }
        Join();
    }

    if (startDevices.resolveHost(address) != HostLookup::Found) {
        return false;
    }
    startDevices.flushArpEntry(address);

    std::shared_ptr<const Bytes> image = startDevices.readImage ? startDevices.readImage() : nullptr;
    if (!image || image->empty()) {
        return false;
    }
    // The request is built here, once, for this image; the worker sends it as it is.
    std::optional<UploadHttpRequest> built =
        BuildUploadHttpRequest(address, target.credential, static_cast<std::uint64_t>(image->size()));
    if (!built) {
        return false;
    }
    imageData = std::move(image);
    const std::uint32_t percentStep = PercentStep(static_cast<std::uint32_t>(imageData->size()));

    auto giveUp = [this] {
        platform::CloseSocket(probeSocket);
        imageData.reset();
        return false;
    };
    // Nothing is sent on this connection: it only proves that the router's web server takes connections.
    if (startDevices.createSocket(&probeSocket, platform::SocketKind::Stream) != 0 ||
        startDevices.connectSocket(probeSocket, address, startDevices.routerPort) != 0) {
        return giveUp();
    }

    jobWindow.target = &window;
    uploadJob.routerAddress = address;
    uploadJob.request = std::move(*built);
    uploadJob.window = &jobWindow;
    uploadJob.percentStep = percentStep;
    uploadJob.routerPort = startDevices.routerPort;
    uploadJob.control = &control;
    control.stop.store(false);
    control.bodySent.store(false);
    jobFinished.store(false, std::memory_order_relaxed);
    // A thread the system cannot give ends the start like a failed check: nothing sent, nothing posted.
    const auto work = [this] { RunUploadJob(uploadJob, imageData, workerDevices); };
    if (!startDevices.startThread || !startDevices.startThread(workerThread, work) ||
        !workerThread.joinable()) {
        jobFinished.store(true, std::memory_order_relaxed);
        return giveUp();
    }
    return true;
}

}  // namespace fwu
