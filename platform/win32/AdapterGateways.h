// The gateway list as Windows reports it, reduced to what the program uses: per adapter, in the order
// the system gives them, the first IPv4 gateway of an adapter that is up. Pure, for tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Adapters.h"
#include "platform/Socket.h"

namespace fwu::platform::win32 {

struct ReportedAdapter {
    std::string name;  // the adapter's friendly name, UTF-8
    bool up = false;   // its operational status is "up"
    // Its gateways in the system's order; nothing for a gateway that is not IPv4.
    std::vector<std::optional<Ipv4Address>> gateways;
};

// One adapter per reported adapter, same order, each with at most one gateway: the first IPv4 one that
// is not 0.0.0.0, and none when the adapter is down.
std::vector<NetworkAdapter> FirstGatewayOfEach(const std::vector<ReportedAdapter>& reported);

}  // namespace fwu::platform::win32
