#include "app/SystemServices.h"

#include "platform/EmbeddedPayload.h"
#include "router/GatewayDiscovery.h"
#include "router/RouterCheck.h"

namespace fwu {

std::string SystemUpgradeServices::FindDefaultGateway(
    const std::function<void(const std::string&)>& showMessage) {
    return fwu::FindDefaultGateway(showMessage);
}

RouterCheckResult SystemUpgradeServices::CheckRouter(const RouterAddress& address,
                                                     const std::string& password) {
    return fwu::CheckRouter(address, password);
}

bool SystemUpgradeServices::StartUploadJob(const UploadRequest& request, UploadWindow& window) {
    return uploadRunner.StartUploadJob(request, window);
}

bool SystemUpgradeServices::CarriedImageIntact() {
    const platform::Payload image = platform::ReadOwnPayload();
    return image.status == platform::PayloadStatus::Ok && !image.data.isEmpty();
}

}  // namespace fwu
