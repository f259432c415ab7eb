// The routing table parser over texts written like the kernel's /proc/net/route (little-endian host).
#include <gtest/gtest.h>

#include <bit>
#include <map>

#include "platform/Adapters.h"

namespace fwu::platform {
namespace {

using Strings = std::vector<std::string>;

constexpr char kHeader[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST(ParseRouteTable, DefaultGatewaysPerInterface) {
    if constexpr (std::endian::native != std::endian::little) {
        GTEST_SKIP() << "the table texts below are those of a little-endian host";
    }
    const std::string table = std::string(kHeader) +
                              // eth0: a local network route, then its default route via 192.168.1.1
                              "eth0\t0001A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                              "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                              // wlan0: two default routes, in the table's order
                              "wlan0\t00000000\t010A000A\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                              "wlan0\t00000000\t020A000A\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
                              // docker0: no gateway; a route marked down; a host route through a gateway
                              "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
                              "tun0\t00000000\t01000A0A\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                              "tun0\t0A0A0A0A\t01000A0A\t0007\t0\t0\t0\tFFFFFFFF\t0\t0\t0\n"
                              // lines that do not parse
                              "broken\n"
                              "bad\tXYZ\t00000000\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::vector<NetworkAdapter> adapters = ParseRouteTable(table);
    ASSERT_EQ(adapters.size(), 4u);
    EXPECT_EQ(adapters[0].name, "eth0");
    EXPECT_EQ(adapters[0].gateways, (Strings{"192.168.1.1"}));
    EXPECT_EQ(adapters[1].name, "wlan0");
    EXPECT_EQ(adapters[1].gateways, (Strings{"10.0.10.1", "10.0.10.2"}));
    EXPECT_EQ(adapters[2].name, "docker0");
    EXPECT_TRUE(adapters[2].gateways.empty());
    EXPECT_EQ(adapters[3].name, "tun0");
    EXPECT_TRUE(adapters[3].gateways.empty());
}

TEST(ParseRouteTable, OrderedByInterfaceIndexWhenKnown) {
    const std::string table = std::string(kHeader) +
                              "wlan0\t00000000\t010A000A\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
                              "veth9\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
                              "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::map<std::string, unsigned> index{{"eth0", 2}, {"wlan0", 3}};
    const auto adapters = ParseRouteTable(table, [&index](const std::string& name) {
        const auto it = index.find(name);
        return it == index.end() ? 0u : it->second;
    });
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].name, "eth0");
    EXPECT_EQ(adapters[1].name, "wlan0");
    EXPECT_EQ(adapters[2].name, "veth9");  // unknown index: last
}

TEST(ParseRouteTable, HeaderOnlyOrEmptyGivesNoAdapters) {
    EXPECT_TRUE(ParseRouteTable(kHeader).empty());
    EXPECT_TRUE(ParseRouteTable("").empty());
}

}  // namespace
}  // namespace fwu::platform
