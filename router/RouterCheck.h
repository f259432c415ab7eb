// The check of the router between the login page and the verify page: is the router there, does it
// take the password, and which firmware version does it run.
#pragma once

#include <functional>
#include <string>

#include "router/RouterCheckFields.h"
#include "router/StatusTransport.h"

namespace fwu {

// What the check uses to reach the router; tests hand in fakes.
struct RouterCheckTools {
    std::function<void(const std::string& address)> flushArpEntry;
    std::function<bool(const std::string& address)> pingHost;
    StatusTransport* transport = nullptr;
};

// The status request for a credential: string 32002, the credential, and the empty line.
std::string BuildStatusRequest(const std::string& credential);

// Refreshes password, octets and address from the typed fields (an empty octet reads as "0"), flushes the
// address's ARP entry, probes the router and reads its version from the status page. False only when the
// probe goes unanswered, the router refuses the request, or the password is too long for the credential;
// otherwise true, with routerVersion replaced only when the page gave the version.
bool CheckRouter(RouterCheckFields& fields, const RouterCheckTools& tools);

// The check with the real ARP flush, probe and TCP transport.
bool CheckRouter(RouterCheckFields& fields);

}  // namespace fwu
