#include "services/SystemServices.h"

#include "platform/EmbeddedPayload.h"
#include "router/GatewayDiscovery.h"
#include "router/RouterCheck.h"

namespace fwu {

UploadServices LoggedUploadServices(AttemptLog& log) {
    UploadServices devices = SystemUploadServices();
    devices.transferEnded = [&log](const UploadVerdict& sofar) { LogTransferEnd(log, sofar); };
    devices.report = [&log](const UploadVerdict& verdict) { LogUploadVerdict(log, verdict); };
    devices.silenceReached = [&log](std::int64_t ms) { LogSilenceReached(log, ms); };
    return devices;
}

std::string SystemUpgradeServices::FindDefaultGateway(
    const std::function<void(const std::string&)>& showMessage) {
    attemptLog.Write("start", "a new run");
    return fwu::FindDefaultGateway(showMessage,
                                   [this](const std::string& line) { attemptLog.Write("gateway", line); });
}

RouterCheckResult SystemUpgradeServices::CheckRouter(const RouterAddress& address,
                                                     const std::string& credential) {
    return fwu::CheckRouter(address, credential);
}

bool SystemUpgradeServices::StartUploadJob(const UploadTarget& target, UploadWindow& window) {
    attemptLog.Write("transfer", "starting to " + target.address.Dotted());
    const bool started = uploadRunner.StartUploadJob(target, window);
    if (!started) {
        attemptLog.Write("transfer", "not started: no image, no web server at the address, or no thread");
    }
    return started;
}

bool SystemUpgradeServices::CarriedImageIntact() {
    if (!verifiedImage) {
        verifiedImage = VerifiedImage(platform::ReadOwnPayload());
    }
    return verifiedImage != nullptr;
}

UploadStartServices SystemUpgradeServices::StartServices() {
    UploadStartServices devices = SystemUploadStartServices();
    devices.readImage = [this]() -> std::shared_ptr<const Bytes> {
        return CarriedImageIntact() ? verifiedImage : nullptr;  // shared, not copied: nothing writes to it
    };
    return devices;
}

FirmwareInfo SystemUpgradeServices::LoadFirmwareInfo() {
    const FirmwareInfo info = fwu::LoadFirmwareInfo();
    platform::Payload image = platform::ReadOwnPayload();
    // The digest the read checked the image against: hashing 3 MB again for the log would cost the
    // window's start as much again.
    const platform::Sha256Digest digest = image.sha256;
    const std::size_t imageBytes = image.data.size();  // 0 unless the image was read whole and checked
    if (std::shared_ptr<const Bytes> verified = VerifiedImage(std::move(image))) {
        verifiedImage = std::move(verified);
    }
    attemptLog.Write("image", DescribeImage(info, imageBytes, digest));
    return info;
}

ConfirmationWatchServices SystemUpgradeServices::WatchServices() {
    ConfirmationWatchServices watch = SystemConfirmationWatchServices();
    watch.watchMs = watchMs;
    return watch;
}

}  // namespace fwu
