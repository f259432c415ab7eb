// The router check as the login page runs it.
#include "router/RouterCheck.h"

#include "res/StringTable.h"
#include "router/Credential.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"
#include "router/StatusQuery.h"

namespace fwu {

std::string BuildStatusRequest(const std::string& credential) {
    return std::string(LoadString(IDS_STATUS_REQUEST)) + credential + "\r\n\r\n";
}

RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password,
                              const RouterCheckServices& tools) {
    const std::string dotted = address.Dotted();
    if (tools.flushArpEntry) {
        tools.flushArpEntry(dotted);
    }

    RouterCheckResult result;
    std::string credential;
    // A password the credential cannot carry whole is treated like one the router refused.
    if (!BuildBasicCredential(password, credential)) {
        return result;
    }

    if (!tools.pingHost || !tools.pingHost(dotted)) {
        return result;
    }
    result.passed = true;
    if (tools.transport == nullptr) {
        return result;  // nothing to ask through: as for a connection that failed
    }

    std::string versionText;
    bool refused = false;
    const int found = QueryStatusPage(*tools.transport, dotted, BuildStatusRequest(credential),
                                      kVersionStartMarker, kVersionEndMarker, versionText, refused);
    if (found == 0 && refused) {
        result.passed = false;
    } else if (found == 1) {
        result.version = versionText;
    }
    return result;
}

RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) {
    TcpStatusTransport transport;
    const RouterCheckServices tools{FlushArpEntry, PingHost, &transport};
    return CheckRouter(address, password, tools);
}

}  // namespace fwu
