// Gateway discovery in the two-gateways lab: the PC's first interface leads to a gateway that never
// answers, the second to the router. Discovery probes them in that order and proposes the router.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "platform/Adapters.h"
#include "router/GatewayDiscovery.h"

namespace fwu {
namespace {

TEST(GatewayDiscoveryLab, TheLabOffersTheSilentGatewayFirst) {
    const platform::AdapterList list = platform::ReadAdapterList();
    ASSERT_EQ(list.status, platform::AdapterListStatus::Ok);
    std::vector<std::string> firstGateways;
    for (const auto& adapter : list.adapters) {
        if (!adapter.gateways.empty()) {
            firstGateways.push_back(adapter.gateways.front());
        }
    }
    EXPECT_EQ(firstGateways, (std::vector<std::string>{"192.168.2.1", "192.168.1.1"}));
}

TEST(GatewayDiscoveryLab, PassesOverTheSilentGatewayAndProposesTheRouter) {
    GatewayDiscoveryServices tools = SystemGatewayDiscoveryServices();
    const auto realProbe = tools.probeAttempt;  // what the system's services probe with
    std::vector<std::pair<std::string, bool>> probes;
    tools.probeAttempt = [&](const std::string& address) {
        const ProbeAttempt attempt = realProbe(address);
        EXPECT_EQ(attempt.means, ProbeMeans::RawSocket) << address;  // root in the lab
        probes.emplace_back(address, attempt.outcome == ProbeOutcome::Answered);
        return attempt;
    };
    std::vector<std::string> shown;
    QElapsedTimer timer;
    timer.start();
    const std::string proposed =
        FindDefaultGateway([&](const std::string& text) { shown.push_back(text); }, tools);

    EXPECT_EQ(proposed, "192.168.1.1");
    const std::vector<std::pair<std::string, bool>> expected{{"192.168.2.1", false}, {"192.168.1.1", true}};
    EXPECT_EQ(probes, expected);
    EXPECT_TRUE(shown.empty());
    EXPECT_GE(timer.elapsed(), 950);  // the silent gateway cost its whole wait
    EXPECT_LT(timer.elapsed(), 2500);
}

}  // namespace
}  // namespace fwu
