// The echo request bytes, the checksum, the ARP flush command and the socket checks. The only packets
// sent go to 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include "platform/Socket.h"
#include "router/Probe.h"

namespace fwu {
namespace {

using Bytes = std::vector<unsigned char>;

std::uint16_t Checksum(const Bytes& bytes) {
    return IcmpChecksum(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(IcmpChecksum, WordsLowByteFirstAndOddTail) {
    EXPECT_EQ(Checksum({}), 0xFFFF);
    EXPECT_EQ(Checksum({0x01, 0x02}), static_cast<std::uint16_t>(~0x0201));
    // An odd last byte is the low-order byte of a final word.
    EXPECT_EQ(Checksum({0x01, 0x02, 0x03}), static_cast<std::uint16_t>(~(0x0201 + 0x0003)));
    // Carries are folded back in: 0xFFFF + 0x0002 = 0x10001 -> 0x0002.
    EXPECT_EQ(Checksum({0xFF, 0xFF, 0x02, 0x00}), static_cast<std::uint16_t>(~0x0002));
}

TEST(IcmpChecksum, OnlyTheLowSixteenBitsOfTheLengthCount) {
    std::vector<unsigned char> big(65536 + 2, 0);
    big[65536] = 0x12;
    big[65537] = 0x34;
    // 65538 counts as 2: only the first word (zero) is summed.
    EXPECT_EQ(IcmpChecksum(big.data(), 65538), 0xFFFF);
}

TEST(BuildEchoRequest, BytesForIdentifier0x1234WhateverTheHigherBits) {
    const std::array<unsigned char, 8> expected{0x08, 0x00, 0xC2, 0xED, 0x34, 0x12, 0x01, 0x00};
    EXPECT_EQ(BuildEchoRequest(0x1234), expected);
    EXPECT_EQ(BuildEchoRequest(0xABCD1234u), expected);
}

TEST(BuildEchoRequest, ChecksumVerifiesToZero) {
    for (const std::uint32_t pid : {1u, 0xFFFFu, 0x8000u, 4242u}) {
        const auto packet = BuildEchoRequest(pid);
        EXPECT_EQ(IcmpChecksum(packet.data(), 8), 0) << pid;
    }
}

TEST(ArpFlushCommand, ArgumentVectorsForDottedAddressesOnly) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(ArpFlushCommand("192.168.1.1", "/usr/sbin/arp", "/usr/sbin/ip"),
              (Args{"/usr/sbin/arp", "-d", "192.168.1.1"}));
    EXPECT_EQ(ArpFlushCommand("10.0.0.254", "", "/sbin/ip"),
              (Args{"/sbin/ip", "neigh", "flush", "to", "10.0.0.254"}));
    // Leading zeros are written out plainly so that no program reads them as octal.
    EXPECT_EQ(ArpFlushCommand("192.168.001.010", "arp", ""), (Args{"arp", "-d", "192.168.1.10"}));
    EXPECT_TRUE(ArpFlushCommand("192.168.1.1", "", "").empty());
    for (const char* hostile : {"192.168.1.1; reboot", "-a", "router.local", "192.168.1", "1.2.3.4 -i eth0",
                                "256.1.1.1", "", "0x7f.0.0.1"}) {
        EXPECT_TRUE(ArpFlushCommand(hostile, "arp", "ip").empty()) << hostile;
    }
}

// An echo reply to BuildEchoRequest(0x1234) as a datagram ICMP socket hands it over.
Bytes Reply(unsigned char type = 0, unsigned char id0 = 0x34, unsigned char id1 = 0x12,
            unsigned char seq0 = 1, unsigned char seq1 = 0) {
    return {type, 0, 0, 0, id0, id1, seq0, seq1};
}

// The same message as a raw ICMP socket hands it over: behind an IPv4 header naming `source`. Built at its
// whole size, not grown by insert, which GCC 12 takes for an out-of-bounds copy when optimising.
Bytes WithIpHeader(const Bytes& message, platform::Ipv4Address source, unsigned char headerWords = 5) {
    const std::size_t header = headerWords * 4u;
    Bytes d(header + message.size(), 0);
    d[0] = static_cast<unsigned char>(0x40 | headerWords);
    d[9] = 1;  // ICMP
    std::copy(source.begin(), source.end(), d.begin() + 12);
    std::copy(message.begin(), message.end(), d.begin() + static_cast<std::ptrdiff_t>(header));
    return d;
}

TEST(IsReplyToProbe, OnlyTheEchoReplyToOurRequestFromTheProbedAddressCounts) {
    const platform::Ipv4Address router{192, 168, 1, 1};
    const platform::Ipv4Address self{192, 168, 1, 100};
    const platform::Ipv4Address loopback{127, 0, 0, 1};
    const auto request = BuildEchoRequest(0x1234);
    struct Case {
        const char* name;
        Bytes datagram;
        bool withIpHeader;
        platform::Ipv4Address sender;
        bool counts;
    };
    Bytes truncated = Reply();
    truncated.pop_back();
    const Case cases[] = {
        {"datagram: the reply", Reply(), false, router, true},
        {"datagram: same reply from loopback", Reply(), false, loopback, false},
        {"datagram: same reply from another host", Reply(), false, self, false},
        {"datagram: another sequence", Reply(0, 0x34, 0x12, 2, 0), false, router, false},
        {"datagram: sequence in network order", Reply(0, 0x34, 0x12, 0, 1), false, router, false},
        {"datagram: another identifier", Reply(0, 0x35, 0x12), false, router, false},
        {"datagram: identifier bytes swapped", Reply(0, 0x12, 0x34), false, router, false},
        {"datagram: unreachable from the router", Reply(3), false, router, false},
        {"datagram: our own request", Reply(8), false, router, false},
        {"datagram: cut short", truncated, false, router, false},
        {"datagram: empty", {}, false, router, false},
        {"raw: the reply", WithIpHeader(Reply(), router), true, router, true},
        {"raw: header with an option word", WithIpHeader(Reply(), router, 6), true, router, true},
        {"raw: unreachable the system reports itself", WithIpHeader(Reply(3), self), true, self, false},
        {"raw: reply of another host", WithIpHeader(Reply(), {10, 0, 0, 1}), true, {10, 0, 0, 1}, false},
        {"raw: header source differs from the sender", WithIpHeader(Reply(), self), true, router, false},
        {"raw: another program's ping", WithIpHeader(Reply(0, 0x99, 0x77), router), true, router, false},
        {"raw: another sequence", WithIpHeader(Reply(0, 0x34, 0x12, 7), router), true, router, false},
        {"raw: our own request looped back", WithIpHeader(Reply(8), router), true, router, false},
        {"raw: message cut short", WithIpHeader(truncated, router), true, router, false},
        {"raw: header only", WithIpHeader({}, router), true, router, false},
        {"raw: taken for a datagram message", WithIpHeader(Reply(), router), false, router, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            IsReplyToProbe(c.datagram.data(), c.datagram.size(), c.withIpHeader, c.sender, router, request),
            c.counts)
            << c.name;
    }
}

TEST(CanBeRouterAddress, HostLoopbackMulticastAndBroadcastCannot) {
    using A = platform::Ipv4Address;
    for (const A& no : {A{0, 0, 0, 0}, A{0, 1, 2, 3}, A{127, 0, 0, 1}, A{127, 255, 255, 254}, A{224, 0, 0, 1},
                        A{239, 255, 255, 250}, A{255, 255, 255, 255}}) {
        EXPECT_FALSE(CanBeRouterAddress(no)) << platform::FormatIpv4(no);
    }
    for (const A& yes : {A{192, 168, 1, 1}, A{10, 0, 0, 138}, A{1, 0, 0, 1}, A{126, 255, 255, 255},
                         A{223, 255, 255, 254}, A{192, 168, 1, 255}}) {
        EXPECT_TRUE(CanBeRouterAddress(yes)) << platform::FormatIpv4(yes);
    }
}

// Also run as an unprivileged user in a namespace of its own, where the probe takes the datagram socket
// (which would count 127.0.0.1's reply to a probe of 0.0.0.0).
TEST(PingHost, AddressesThatCannotBeARouterAreNeverProbed) {
    const auto start = std::chrono::steady_clock::now();
    for (const char* address : {"0.0.0.0", "127.0.0.1", "127.1.2.3"}) {
        EXPECT_FALSE(PingHost(address)) << address;
    }
    EXPECT_FALSE(PingHostOver(platform::IcmpSocketKind::Datagram, "0.0.0.0", 1000));
    EXPECT_FALSE(PingHostOver(platform::IcmpSocketKind::Raw, "127.0.0.1", 1000));
    // Each gave up at once instead of waiting for an answer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(PingHost, TextThatIsNotAnAddressIsNotSent) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PingHost("localhost"));
    EXPECT_FALSE(PingHost("127.0.0.1 "));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(ResolveHost, DottedAddressesAndLocalNames) {
    EXPECT_EQ(ResolveHost("192.168.1.1"), HostLookup::Found);
    EXPECT_EQ(ResolveHost("localhost"), HostLookup::Found);
    EXPECT_EQ(ResolveHost(""), HostLookup::NotFound);
    EXPECT_EQ(ResolveHost(std::string(300, 'a')),
              HostLookup::NotFound);  // longer than any host name: not looked up
}

TEST(ConnectSocket, LoopbackListenerAcceptsClosedPortAndNamesFail) {
    const platform::Ipv4Address loopback{127, 0, 0, 1};
    platform::SocketHandle listener = platform::OpenListeningSocket(loopback, 0);
    ASSERT_NE(listener, platform::kInvalidSocket);
    const std::uint16_t port = platform::LocalPort(listener);

    platform::SocketHandle s = platform::kInvalidSocket;
    ASSERT_EQ(CreateSocket(&s, platform::SocketKind::Stream), 0);
    EXPECT_EQ(ConnectSocket(s, "127.0.0.1", port), 0);
    platform::CloseSocket(s);

    ASSERT_EQ(CreateSocket(&s, platform::SocketKind::Stream), 0);
    EXPECT_EQ(ConnectSocket(s, "localhost", port), -1);  // no name lookup
    platform::CloseSocket(s);

    platform::CloseSocket(listener);
    ASSERT_EQ(CreateSocket(&s, platform::SocketKind::Stream), 0);
    EXPECT_EQ(ConnectSocket(s, "127.0.0.1", port), -1);  // nothing listens any more
    platform::CloseSocket(s);

    ASSERT_EQ(CreateSocket(&s, platform::SocketKind::Datagram), 0);
    EXPECT_NE(s, platform::kInvalidSocket);
    platform::CloseSocket(s);
    EXPECT_EQ(CreateSocket(nullptr, platform::SocketKind::Stream), -1);
}

}  // namespace
}  // namespace fwu
