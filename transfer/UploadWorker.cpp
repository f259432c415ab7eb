#include "transfer/UploadWorker.h"

#include "platform/HttpClient.h"
#include "platform/Sleep.h"
#include "res/StringTable.h"
#include "router/Probe.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadSchedule.h"

namespace fwu {
namespace {

// Sends the request with the image in paced pieces. `offset` ends as the number of image bytes sent in
// full pieces (the final, shorter piece not counted), which sets the length of the flash wait.
bool TransferImage(const UploadJob& job, const QByteArray& imageData, const UploadDevices& devices,
                   std::uint32_t& offset) {
    std::unique_ptr<platform::HttpSession> session = devices.openSession ? devices.openSession() : nullptr;
    if (!session) {
        return false;
    }
    // Request and connection are closed on every way out, before the image copy is released.
    struct CloseOnExit {
        platform::HttpSession& session;
        ~CloseOnExit() { session.Close(); }
    } closer{*session};
    if (!session->Open(kUploadAgentName)) {
        return false;
    }
    const auto request =
        BuildUploadRequest(job.routerAddress, job.password, static_cast<std::uint64_t>(imageData.size()));
    if (!request) {
        return false;
    }
    const auto imageSize = static_cast<std::uint32_t>(imageData.size());  // checked by the request builder
    const char* image = imageData.constData();
    // A request without its header fields would reach the handler without credential or form boundary,
    // so a refused header block ends the transfer like any other failure.
    if (!session->Connect(job.routerAddress, job.routerPort) ||
        !session->OpenRequest(request->method, request->object, request->version) ||
        !session->AddRequestHeaders(request->headerBlock) || !session->SendRequest(request->bodyLength) ||
        !session->Write(request->bodyHead.data(), request->bodyHead.size())) {
        return false;
    }

    std::uint32_t posted = 0;
    while (std::uint64_t{offset} + kUploadPieceSize < imageSize) {
        devices.sleep(kPiecePauseMs);
        if (!session->Write(image + offset, kUploadPieceSize)) {
            return false;
        }
        offset += kUploadPieceSize;
        // A piece can cross several percent steps on a small image: one post for each.
        while (posted <= offset / job.percentStep) {
            ++posted;
            job.window->PostUpgradeProgress(ShownPercent(posted));
        }
    }
    if (offset != imageSize) {
        devices.sleep(kPiecePauseMs);
        if (!session->Write(image + offset, imageSize - offset)) {
            return false;
        }
    }
    return session->Write(request->bodyTail.data(), request->bodyTail.size());
}

// Waits while the router writes its flash. The first unanswered probe means it is restarting with the
// new firmware; after that it is not probed again and the cycles shorten.
unsigned WaitForFlash(const UploadJob& job, std::uint32_t offset, const UploadDevices& devices) {
    unsigned result = 0;
    int delay = kWaitDelayStartMs;
    const std::uint32_t cycles = FlashWaitCycles(offset, job.percentStep);
    for (std::uint32_t cycle = 1; cycle <= cycles; ++cycle) {
        if (result == 0) {
            delay = kWaitDelayStartMs;
            if (!devices.probe(job.routerAddress)) {
                result = 1;
            }
        }
        devices.sleep(delay);
        delay = NextWaitDelay(delay);
        job.window->PostUpgradeProgress(ShownPercent(cycle));
    }
    return result;
}

}  // namespace

UploadDevices SystemUploadDevices() {
    UploadDevices devices;
    devices.openSession = [] { return std::make_unique<platform::HttpClient>(); };
    devices.sleep = [](int ms) { platform::SleepPrecisely(ms); };
    devices.probe = [](const std::string& address) { return PingHost(address); };
    return devices;
}

unsigned UploadThreadProc(const UploadJob& job, QByteArray& imageData, const UploadDevices& devices) {
    unsigned result = 0;
    std::uint32_t offset = 0;
    const bool sent = TransferImage(job, imageData, devices, offset);
    imageData = QByteArray();

    if (sent) {
        job.window->ResetPercent();
        devices.sleep(kSettlePauseMs);
        job.window->SetStatusText(IDS_WRITING_FLASH, 0);
        result = WaitForFlash(job, offset, devices);
    }
    job.window->PostUpgradeDone(result);
    return result;
}

}  // namespace fwu
