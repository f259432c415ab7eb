// ICMP sockets on loopback only. The identifier test needs both a raw socket (to watch the wire) and a
// datagram ICMP socket; the CTest entry "icmp_datagram_in_private_netns" runs it in a network
// namespace of its own where the datagram socket is allowed.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>

#include "platform/Icmp.h"

namespace fwu::platform {
namespace {

constexpr Ipv4Address kLoopback{127, 0, 0, 1};

// An echo request with the given identifier bytes and a valid checksum.
std::array<unsigned char, 8> EchoRequest(unsigned char id0, unsigned char id1) {
    std::array<unsigned char, 8> p{8, 0, 0, 0, id0, id1, 1, 0};
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < p.size(); i += 2) {
        sum += p[i] | (p[i + 1] << 8);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum += sum >> 16;
    p[2] = static_cast<unsigned char>(~sum & 0xFF);
    p[3] = static_cast<unsigned char>((~sum >> 8) & 0xFF);
    return p;
}

TEST(IcmpSocket, EchoToLoopbackGetsSomethingBack) {
    IcmpSocketKind kind{};
    SocketHandle s = OpenIcmpSocket(0x4321, &kind);
    if (s == kInvalidSocket) {
        GTEST_SKIP() << "this system grants no ICMP socket";
    }
    const auto request = EchoRequest(0x21, 0x43);
    EXPECT_TRUE(SendIcmp(s, kLoopback, request.data(), request.size()));
    unsigned char buffer[1024];
    EXPECT_GT(ReceiveSome(s, buffer, sizeof buffer, 1000), 0);
    CloseSocket(s);
}

TEST(IcmpDatagramSocket, IdentifierOnTheWireIsLowByteFirst) {
    SocketHandle raw = OpenIcmpSocketOfKind(IcmpSocketKind::Raw, 0);
    SocketHandle datagram = OpenIcmpSocketOfKind(IcmpSocketKind::Datagram, 0x1234);
    const bool required = std::getenv("FWU_REQUIRE_ICMP_DATAGRAM") != nullptr;
    if (raw == kInvalidSocket || datagram == kInvalidSocket) {
        CloseSocket(raw);
        CloseSocket(datagram);
        if (required) {
            FAIL() << "raw and datagram ICMP sockets were expected here";
        }
        GTEST_SKIP() << "needs both a raw and a datagram ICMP socket";
    }
    // The identifier bytes in the message are replaced by the kernel with the socket's bound ones.
    const auto request = EchoRequest(0, 0);
    ASSERT_TRUE(SendIcmp(datagram, kLoopback, request.data(), request.size()));

    bool seen = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!seen && std::chrono::steady_clock::now() < end) {
        unsigned char packet[1024];
        const long n = ReceiveSome(raw, packet, sizeof packet, 500);
        if (n < 20) {
            continue;
        }
        const std::size_t headerLength = (packet[0] & 0x0F) * 4u;  // the raw socket sees the IP header
        if (static_cast<std::size_t>(n) < headerLength + 8 || packet[headerLength] != 8) {
            continue;
        }
        const unsigned char* icmp = packet + headerLength;
        EXPECT_EQ(icmp[4], 0x34);
        EXPECT_EQ(icmp[5], 0x12);
        EXPECT_EQ(icmp[6], 0x01);
        EXPECT_EQ(icmp[7], 0x00);
        EXPECT_EQ(EchoRequest(0x34, 0x12),
                  (std::array<unsigned char, 8>{icmp[0], icmp[1], icmp[2], icmp[3], icmp[4], icmp[5], icmp[6],
                                                icmp[7]}));
        seen = true;
    }
    EXPECT_TRUE(seen) << "the echo request never showed on the raw socket";

    unsigned char reply[1024];
    EXPECT_GE(ReceiveSome(datagram, reply, sizeof reply, 1000), 8) << "the datagram socket gets its reply";
    CloseSocket(raw);
    CloseSocket(datagram);
}

// Another socket (another user's, say) can never hold the identifier too and take the probe's replies:
// the second one is given an identifier of its own, and says which.
TEST(IcmpDatagramSocket, ATakenIdentifierIsNeverShared) {
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    SocketHandle a = OpenIcmpSocketOfKind(IcmpSocketKind::Datagram, 0x2345, &first);
    SocketHandle b = OpenIcmpSocketOfKind(IcmpSocketKind::Datagram, 0x2345, &second);
    if (a == kInvalidSocket) {
        if (std::getenv("FWU_REQUIRE_ICMP_DATAGRAM") != nullptr) {
            FAIL() << "a datagram ICMP socket was expected here";
        }
        GTEST_SKIP() << "needs a datagram ICMP socket";
    }
    EXPECT_EQ(first, 0x2345);
    ASSERT_NE(b, kInvalidSocket);
    EXPECT_NE(second, 0x2345);
    CloseSocket(a);
    CloseSocket(b);
}

}  // namespace
}  // namespace fwu::platform
