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

bool CheckRouter(RouterCheckFields& fields, const RouterCheckTools& tools) {
    fields.password = fields.passwordFieldText;
    fields.routerAddress.clear();
    for (std::size_t i = 0; i < fields.octetText.size(); ++i) {
        fields.octetText[i] = fields.octetFieldText[i].empty() ? "0" : fields.octetFieldText[i];
        if (i > 0) {
            fields.routerAddress += '.';
        }
        fields.routerAddress += fields.octetText[i];
    }

    if (tools.flushArpEntry) {
        tools.flushArpEntry(fields.routerAddress);
    }

    std::string credential;
    // A password the credential cannot carry whole is treated like one the router refused.
    if (!BuildBasicCredential(fields.password, credential)) {
        return false;
    }

    if (!tools.pingHost || !tools.pingHost(fields.routerAddress)) {
        return false;
    }
    if (tools.transport == nullptr) {
        return true;  // nothing to ask through: as for a connection that failed
    }

    std::string versionText;
    bool refused = false;
    const int found = QueryStatusPage(*tools.transport, fields.routerAddress, BuildStatusRequest(credential),
                                      kVersionStartMarker, kVersionEndMarker, versionText, refused);
    if (found == 0 && refused) {
        return false;
    }
    if (found == 1) {
        fields.routerVersion = versionText;
    }
    return true;
}

bool CheckRouter(RouterCheckFields& fields) {
    TcpStatusTransport transport;
    const RouterCheckTools tools{FlushArpEntry, PingHost, &transport};
    return CheckRouter(fields, tools);
}

}  // namespace fwu
