// The status page exchange. The answer is untrusted: it is kept within fixed bounds, searched as plain
// bytes and handed on only as data.
#include "router/StatusQuery.h"

#include <algorithm>

#include "router/RouterEndpoints.h"

namespace fwu {

int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused) {
    refused = false;
    versionText.clear();
    if (!transport.Connect(address, kRouterHttpPort) || !transport.Send(request)) {
        transport.Close();
        return 0;
    }

    std::string response;
    response.reserve(kMaxStatusResponseChars);
    bool firstBlock = true;
    bool found = false;
    char block[kStatusBlockBytes];
    for (;;) {
        const long received = transport.Receive(block, sizeof block);
        if (received <= 0) {
            break;  // closed by the router, failed or timed out
        }
        std::string_view text(block, static_cast<std::size_t>(received));
        // The block is taken as text: a NUL byte ends it.
        text = text.substr(0, text.find('\0'));
        if (firstBlock) {
            firstBlock = false;
            if (text.find(kAcceptedStatus) == std::string_view::npos) {
                refused = true;
                break;
            }
        }
        response.append(text.substr(0, kMaxStatusResponseChars - response.size()));

        const std::size_t start = response.find(startMarker);
        if (start != std::string::npos) {
            const std::size_t fieldBegin = start + startMarker.size();
            const std::size_t end = response.find(endMarker, fieldBegin);
            if (end != std::string::npos) {
                versionText = response.substr(fieldBegin, std::min(end - fieldBegin, kMaxVersionChars));
                found = true;
                break;
            }
        }
        if (response.size() >= kMaxStatusResponseChars) {
            break;  // full before the field was complete
        }
    }
    transport.Close();
    return found ? 1 : 0;
}

}  // namespace fwu
