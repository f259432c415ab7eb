// Inside the lab's "pc" namespace only (lab-network.sh checks that before it starts this): the gateway
// comes from the adapter list and answers the probe's echo through the system's ICMP service. Skipped
// everywhere else, before anything is sent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Adapters.h"
#include "platform/Icmp.h"
#include "probehelper/EchoRules.h"

namespace {

using namespace fwu::platform;

TEST(LabNetwork, TheGatewayOfTheAdapterListAnswersTheEcho) {
    const char* checked = std::getenv("FWU_WINDOWS_LAB_CHECKED");
    const char* router = std::getenv("FWU_LAB_ROUTER");
    if (checked == nullptr || std::string(checked) != "1" || router == nullptr) {
        GTEST_SKIP() << "only inside the lab, started by lab-network.sh";
    }
    const AdapterList list = ReadAdapterList();
    ASSERT_EQ(list.status, AdapterListStatus::Ok);
    std::string gateway;
    for (const NetworkAdapter& adapter : list.adapters) {
        if (!adapter.gateways.empty() && gateway.empty()) {
            gateway = adapter.gateways.front();
        }
    }
    ASSERT_EQ(gateway, router);

    Ipv4Address to{};
    ASSERT_TRUE(ParseDottedIpv4(gateway, to));
    std::uint16_t bound = 0;
    SocketHandle handle = OpenIcmpSocket(0x5151, nullptr, &bound);
    ASSERT_NE(handle, kInvalidSocket);
    const fwu::echo::Request request = fwu::echo::BuildRequest(bound);
    ASSERT_TRUE(SendIcmp(handle, to, request.data(), request.size()));
    unsigned char reply[256];
    Ipv4Address from{};
    const long got = ReceiveIcmp(handle, reply, sizeof reply, 1000, from);
    CloseSocket(handle);
    ASSERT_GT(got, 0);
    EXPECT_TRUE(fwu::echo::IsReply(reply, static_cast<std::size_t>(got), false, from, to, request));
}

}  // namespace
