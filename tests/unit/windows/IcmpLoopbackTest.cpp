// The system's ICMP service end to end on loopback alone: the echo goes out with the request's bytes and
// the reply it reports passes the probe's reply rule; a handle gives one echo only, and a second receive
// waits out its time.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/Icmp.h"
#include "probehelper/EchoRules.h"

namespace {

using namespace fwu::platform;

TEST(IcmpServiceOnLoopback, ReplyPassesTheRuleOnceAndSilenceWaitsItsTime) {
    constexpr Ipv4Address kLoopback{127, 0, 0, 1};
    IcmpSocketKind kind = IcmpSocketKind::Raw;
    std::uint16_t bound = 0;
    SocketHandle handle = OpenIcmpSocket(0x2345, &kind, &bound);
    ASSERT_NE(handle, kInvalidSocket);
    EXPECT_EQ(kind, IcmpSocketKind::Datagram);
    EXPECT_EQ(bound, 0x2345);
    EXPECT_EQ(OpenIcmpSocketOfKind(IcmpSocketKind::Raw, 1), kInvalidSocket);

    const fwu::echo::Request request = fwu::echo::BuildRequest(bound);
    ASSERT_TRUE(SendIcmp(handle, kLoopback, request.data(), request.size()));
    unsigned char reply[256];
    Ipv4Address from{};
    const long got = ReceiveIcmp(handle, reply, sizeof reply, 1000, from);
    ASSERT_GT(got, 0);
    EXPECT_EQ(from, kLoopback);
    EXPECT_TRUE(fwu::echo::IsReply(reply, static_cast<std::size_t>(got), false, from, kLoopback, request));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReceiveIcmp(handle, reply, sizeof reply, 300, from), kReceiveTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_FALSE(SendIcmp(handle, kLoopback, request.data(), request.size())) << "one echo per handle";
    CloseSocket(handle);
    EXPECT_EQ(handle, kInvalidSocket);
}

}  // namespace
