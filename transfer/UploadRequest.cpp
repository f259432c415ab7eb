#include "transfer/UploadRequest.h"

#include <limits>

#include "res/StringTable.h"
#include "router/RouterEndpoints.h"

namespace fwu {

std::optional<UploadHttpRequest> BuildUploadHttpRequest(const std::string& routerAddress,
                                                        const std::string& credential,
                                                        std::uint64_t imageSize) {
    UploadHttpRequest request;
    request.method = "POST";
    request.object = std::string(kUpgradeHandlerPath);
    request.version = "1.0";

    request.bodyHead.append(LoadString(IDS_BODY_HEAD))
        .append(kUploadFileName)
        .append(LoadString(IDS_BODY_FILE_TYPE));
    request.bodyTail.append(LoadString(IDS_BODY_TAIL));

    const std::uint64_t bodyLength = request.bodyHead.size() + imageSize + request.bodyTail.size();
    if (imageSize > std::numeric_limits<std::uint32_t>::max() ||
        bodyLength > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    request.bodyLength = static_cast<std::uint32_t>(bodyLength);

    request.headerBlock.append(LoadString(IDS_HEADER_REFERER))
        .append(routerAddress)
        .append(LoadString(IDS_HEADER_HOST))
        .append(routerAddress)
        .append(LoadString(IDS_HEADER_LENGTH))
        .append(std::to_string(request.bodyLength))
        .append(LoadString(IDS_HEADER_AUTH))
        .append(credential);
    return request;
}

}  // namespace fwu
