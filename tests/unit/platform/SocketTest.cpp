// Address parsing and TCP on 127.0.0.1: connect, refusal, receive, close and receive time-out.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/Socket.h"

namespace fwu::platform {
namespace {

constexpr Ipv4Address kLoopback{127, 0, 0, 1};

TEST(ParseDottedIpv4, AcceptsFourDecimalOctetsOnly) {
    Ipv4Address a{};
    ASSERT_TRUE(ParseDottedIpv4("192.168.1.1", a));
    EXPECT_EQ(a, (Ipv4Address{192, 168, 1, 1}));
    ASSERT_TRUE(ParseDottedIpv4("0.0.0.0", a));
    ASSERT_TRUE(ParseDottedIpv4("255.255.255.255", a));
    ASSERT_TRUE(ParseDottedIpv4("010.001.0.9", a));  // leading zeros are decimal
    EXPECT_EQ(a, (Ipv4Address{10, 1, 0, 9}));
    EXPECT_EQ(FormatIpv4(a), "10.1.0.9");

    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.", ".1.2.3.4", "1.2.3.4.5", "256.1.1.1", "1.2.3.1000", "0x7f.0.0.1",
          "1.2.3.4 ", " 1.2.3.4", "1..2.3", "a.b.c.d", "127.1", "-1.2.3.4", "1.2.3.4\n"}) {
        a = {9, 9, 9, 9};
        EXPECT_FALSE(ParseDottedIpv4(bad, a)) << bad;
        EXPECT_EQ(a, (Ipv4Address{9, 9, 9, 9})) << "left alone on failure: " << bad;
    }
    EXPECT_FALSE(ParseDottedIpv4(std::string_view("1.2.3.4\0", 8), a));
}

TEST(ResolveIpv4, DottedTextWithoutLookupAndLocalName) {
    Ipv4Address a{};
    ASSERT_TRUE(ResolveIpv4("10.9.8.7", a));
    EXPECT_EQ(a, (Ipv4Address{10, 9, 8, 7}));
    ASSERT_TRUE(ResolveIpv4("localhost", a));
    EXPECT_EQ(a[0], 127);
    EXPECT_FALSE(ResolveIpv4("", a));
    EXPECT_FALSE(ResolveIpv4(std::string(254, 'a'), a));
}

class LoopbackTcp : public ::testing::Test {
protected:
    void SetUp() override {
        listener = OpenListeningSocket(kLoopback, 0);
        ASSERT_NE(listener, kInvalidSocket);
        port = LocalPort(listener);
        ASSERT_NE(port, 0);
        client = OpenSocket(SocketKind::Stream);
        ASSERT_NE(client, kInvalidSocket);
    }
    void TearDown() override {
        CloseSocket(client);
        CloseSocket(server);
        CloseSocket(listener);
    }
    void Connect() {
        ASSERT_TRUE(ConnectWithTimeout(client, kLoopback, port, 2000));
        server = AcceptWithTimeout(listener, 2000);
        ASSERT_NE(server, kInvalidSocket);
    }

    SocketHandle listener = kInvalidSocket;
    SocketHandle client = kInvalidSocket;
    SocketHandle server = kInvalidSocket;
    std::uint16_t port = 0;
};

TEST_F(LoopbackTcp, BytesBothWaysThenOrderlyClose) {
    Connect();
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_TRUE(SendAll(client, request.data(), request.size(), 1000));
    char buffer[64] = {};
    ASSERT_EQ(ReceiveSome(server, buffer, sizeof buffer, 1000), static_cast<long>(request.size()));
    EXPECT_EQ(std::string(buffer, request.size()), request);

    ASSERT_TRUE(SendAll(server, "answer", 6, 1000));
    CloseSocket(server);
    EXPECT_EQ(ReceiveSome(client, buffer, sizeof buffer, 1000), 6);
    EXPECT_EQ(ReceiveSome(client, buffer, sizeof buffer, 1000), 0);
}

TEST_F(LoopbackTcp, ReceiveTimesOutWhenNothingArrives) {
    Connect();
    char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReceiveSome(client, buffer, sizeof buffer, 200), kReceiveTimedOut);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(195));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
}

TEST_F(LoopbackTcp, ConnectToAClosedPortIsRefusedAtOnce) {
    CloseSocket(listener);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ConnectWithTimeout(client, kLoopback, port, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(LoopbackTcp, SendAllGivesUpWhenThePeerNeverReads) {
    Connect();
    // Far more than the socket buffers of both ends hold; the peer reads nothing.
    const std::string big(64 * 1024 * 1024, 'x');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendAll(client, big.data(), big.size(), 300));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

}  // namespace
}  // namespace fwu::platform
