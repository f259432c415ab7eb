#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/win32/AdapterGateways.h"

namespace {

using fwu::platform::Ipv4Address;
using fwu::platform::NetworkAdapter;
using fwu::platform::win32::FirstGatewayOfEach;
using fwu::platform::win32::ReportedAdapter;

struct GatewayCase {
    const char* what;
    std::vector<ReportedAdapter> reported;
    std::vector<std::vector<std::string>> gateways;  // per adapter, in order
};

TEST(FirstGatewayOfEach, KeepsOrderAndTakesTheFirstUsableIpv4Gateway) {
    const Ipv4Address home{192, 168, 1, 1};
    const Ipv4Address other{10, 0, 0, 1};
    const std::optional<Ipv4Address> notIpv4;
    const std::vector<GatewayCase> cases = {
        {"none", {}, {}},
        {"one", {{"Ethernet", true, {home}}}, {{"192.168.1.1"}}},
        {"first of two", {{"Ethernet", true, {other, home}}}, {{"10.0.0.1"}}},
        {"past a non-IPv4 and an unset one",
         {{"Wi-Fi", true, {notIpv4, Ipv4Address{}, home}}},
         {{"192.168.1.1"}}},
        {"down adapter keeps its place, no gateway",
         {{"Ethernet", false, {other}}, {"Wi-Fi", true, {home}}},
         {{}, {"192.168.1.1"}}},
        {"adapter without gateway",
         {{"Loopback", true, {}}, {"Ethernet", true, {home}}},
         {{}, {"192.168.1.1"}}},
    };
    for (const GatewayCase& c : cases) {
        const std::vector<NetworkAdapter> adapters = FirstGatewayOfEach(c.reported);
        ASSERT_EQ(adapters.size(), c.gateways.size()) << c.what;
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            EXPECT_EQ(adapters[i].name, c.reported[i].name) << c.what;
            EXPECT_EQ(adapters[i].gateways, c.gateways[i]) << c.what;
        }
    }
}

}  // namespace
