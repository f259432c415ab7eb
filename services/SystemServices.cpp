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
    if (verifiedImage.isEmpty()) {
        const platform::Payload image = platform::ReadOwnPayload();
        if (image.status == platform::PayloadStatus::Ok) {
            verifiedImage = image.data;
        }
    }
    return !verifiedImage.isEmpty();
}

UploadStartServices SystemUpgradeServices::StartServices() {
    UploadStartServices devices = SystemUploadStartServices();
    devices.readImage = [this] {
        platform::Payload image;
        if (CarriedImageIntact()) {
            image.status = platform::PayloadStatus::Ok;
            image.data = verifiedImage;  // shared, not copied: nothing writes to it
        }
        return image;
    };
    return devices;
}

FirmwareInfo SystemUpgradeServices::LoadFirmwareInfo() {
    const FirmwareInfo info = fwu::LoadFirmwareInfo();
    const platform::Payload image = platform::ReadOwnPayload();
    if (image.status == platform::PayloadStatus::Ok) {
        verifiedImage = image.data;
    }
    // The digest the read checked the image against: hashing 3 MB again for the log would cost the
    // window's start as much again.
    attemptLog.Write("image", DescribeImage(info, static_cast<std::size_t>(image.data.size()), image.sha256));
    return info;
}

ConfirmationWatchServices SystemUpgradeServices::WatchServices() {
    ConfirmationWatchServices watch = SystemConfirmationWatchServices();
    watch.watchMs = watchMs;
    return watch;
}

}  // namespace fwu
