#include "app/SystemServices.h"

#include "platform/EmbeddedPayload.h"
#include "router/GatewayDiscovery.h"
#include "router/RouterCheck.h"

namespace fwu {

std::string SystemUpgradeServices::FindDefaultGateway(
    const std::function<void(const std::string&)>& showMessage) {
    return fwu::FindDefaultGateway(showMessage);
}

bool SystemUpgradeServices::CheckRouter(RouterCheckFields& fields) {
    return fwu::CheckRouter(fields);
}

bool SystemUpgradeServices::StartUploadJob(const UploadRequest& request, UploadWindow& window) {
    return uploadRunner.StartUploadJob(request, window);
}

bool SystemUpgradeServices::CarriedImageIntact() {
    const platform::Payload image = platform::ReadOwnPayload();
    return image.status == platform::PayloadStatus::Ok && !image.data.isEmpty();
}

}  // namespace fwu
