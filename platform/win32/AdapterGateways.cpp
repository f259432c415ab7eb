#include "platform/win32/AdapterGateways.h"

namespace fwu::platform::win32 {

std::vector<NetworkAdapter> FirstGatewayOfEach(const std::vector<ReportedAdapter>& reported) {
    std::vector<NetworkAdapter> adapters;
    adapters.reserve(reported.size());
    for (const ReportedAdapter& entry : reported) {
        NetworkAdapter adapter{entry.name, {}};
        if (entry.up) {
            for (const std::optional<Ipv4Address>& gateway : entry.gateways) {
                if (gateway && *gateway != Ipv4Address{}) {
                    adapter.gateways.push_back(FormatIpv4(*gateway));
                    break;
                }
            }
        }
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

}  // namespace fwu::platform::win32
