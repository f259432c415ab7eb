// The echo request bytes, the checksum, the ARP flush command and the socket checks. The only packets
// sent go to 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
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

// An IPv4 datagram as a raw ICMP socket hands it over: 20-byte header, then the ICMP message.
std::vector<unsigned char> RawDatagram(platform::Ipv4Address source, unsigned char icmpType) {
    std::vector<unsigned char> d(28, 0);
    d[0] = 0x45;  // version 4, header of five words
    d[9] = 1;     // ICMP
    std::copy(source.begin(), source.end(), d.begin() + 12);
    d[20] = icmpType;
    return d;
}

TEST(IsEchoReplyFrom, OnlyEchoRepliesOfTheProbedAddressCount) {
    const platform::Ipv4Address router{192, 168, 1, 1};
    const platform::Ipv4Address self{192, 168, 1, 100};
    auto check = [&](const std::vector<unsigned char>& d) {
        return IsEchoReplyFrom(d.data(), d.size(), true, router);
    };
    EXPECT_TRUE(check(RawDatagram(router, 0)));
    EXPECT_FALSE(check(RawDatagram(self, 3)));           // "host unreachable" the system reports itself
    EXPECT_FALSE(check(RawDatagram(router, 3)));         // an error from the router is no echo reply
    EXPECT_FALSE(check(RawDatagram(router, 8)));         // our own request looped back on loopback
    EXPECT_FALSE(check(RawDatagram({10, 0, 0, 1}, 0)));  // another host's reply
    std::vector<unsigned char> options = RawDatagram(router, 8);
    options[0] = 0x46;  // a header with one option word: the ICMP type sits four bytes later
    options.insert(options.begin() + 20, {0, 0, 0, 0});
    options[24] = 0;
    EXPECT_TRUE(check(options));
    std::vector<unsigned char> truncated = RawDatagram(router, 0);
    truncated.resize(27);
    EXPECT_FALSE(check(truncated));
    // A datagram ICMP socket: the message alone, already matched to our identifier by the system.
    const unsigned char reply[8] = {0, 0, 0, 0, 0x34, 0x12, 1, 0};
    EXPECT_TRUE(IsEchoReplyFrom(reply, sizeof reply, false, router));
    const unsigned char unreachable[8] = {3, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(IsEchoReplyFrom(unreachable, sizeof unreachable, false, router));
}

TEST(PingHost, LoopbackAnswersWithinTheWait) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PingHost("127.0.0.1"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(PingHost, TextThatIsNotAnAddressIsNotSent) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PingHost("localhost"));
    EXPECT_FALSE(PingHost("127.0.0.1 "));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(ResolveHost, DottedAddressesAndLocalNames) {
    EXPECT_EQ(ResolveHost("192.168.1.1"), 0);
    EXPECT_EQ(ResolveHost("localhost"), 0);
    EXPECT_EQ(ResolveHost(""), 2);
    EXPECT_EQ(ResolveHost(std::string(300, 'a')), 2);  // longer than any host name: not looked up
}

TEST(ConnectSocket, LoopbackListenerAcceptsClosedPortAndNamesFail) {
    const platform::Ipv4Address loopback{127, 0, 0, 1};
    platform::SocketHandle listener = platform::OpenListeningSocket(loopback, 0);
    ASSERT_NE(listener, platform::kInvalidSocket);
    const std::uint16_t port = platform::LocalPort(listener);

    platform::SocketHandle s = platform::kInvalidSocket;
    ASSERT_EQ(CreateSocket(&s, 1), 0);
    EXPECT_EQ(ConnectSocket(s, "127.0.0.1", port), 0);
    platform::CloseSocket(s);

    ASSERT_EQ(CreateSocket(&s, 1), 0);
    EXPECT_EQ(ConnectSocket(s, "localhost", port), -1);  // no name lookup
    platform::CloseSocket(s);

    platform::CloseSocket(listener);
    ASSERT_EQ(CreateSocket(&s, 1), 0);
    EXPECT_EQ(ConnectSocket(s, "127.0.0.1", port), -1);  // nothing listens any more
    platform::CloseSocket(s);

    ASSERT_EQ(CreateSocket(&s, 2), 0);  // any other kind: a datagram socket
    EXPECT_NE(s, platform::kInvalidSocket);
    platform::CloseSocket(s);
    EXPECT_EQ(CreateSocket(nullptr, 1), -1);
}

}  // namespace
}  // namespace fwu
