// The HTTP request writer against a listener on 127.0.0.1: the exact bytes on the wire, refused and
// stalled connections, and what it refuses to send.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackListener.h"
#include "platform/HttpClient.h"
#include "platform/Socket.h"
#include "transfer/UploadRequest.h"

namespace fwu {
namespace {

using platform::HttpClient;
using platform::HttpTimeouts;
using test::LoopbackListener;

constexpr int kWaitMs = 5'000;

TEST(HttpClient, SendsRequestLineHeaderFieldsAndBodyExactly) {
    LoopbackListener listener;
    ASSERT_TRUE(listener.Ok());
    const auto request = BuildUploadHttpRequest("127.0.0.1", "OmFkbWlu", 5);
    ASSERT_TRUE(request);

    HttpClient client;
    ASSERT_TRUE(client.Open("HttpSendFileTest"));
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.Port()));
    ASSERT_TRUE(client.OpenRequest(request->method, request->object, request->version));
    ASSERT_TRUE(client.AddRequestHeaders(request->headerBlock));
    ASSERT_TRUE(client.SendRequest(request->bodyLength));
    ASSERT_TRUE(client.Write(request->bodyHead.data(), request->bodyHead.size()));
    ASSERT_TRUE(client.Write("ab\ncd", 5));
    ASSERT_TRUE(client.Write(request->bodyTail.data(), request->bodyTail.size()));
    client.Close();

    const std::vector<std::string> received = listener.WaitForClosed(1, kWaitMs);
    ASSERT_EQ(received.size(), 1u);
    std::string expected = "POST /upgrade.cgi HTTP/1.0\r\n";
    std::string block = request->headerBlock;
    for (std::size_t at = 0; (at = block.find('\n', at)) != std::string::npos; at += 2) {
        block.replace(at, 1, "\r\n");
    }
    // No field of the client's own (no User-Agent of its agent name, no Transfer-Encoding): only ours.
    expected += block + "\r\n\r\n" + request->bodyHead + "ab\ncd" + request->bodyTail;
    EXPECT_EQ(received[0], expected);
}

TEST(HttpClient, RefusesWhatWouldBreakTheRequest) {
    LoopbackListener listener;
    ASSERT_TRUE(listener.Ok());
    HttpClient client;
    ASSERT_TRUE(client.Open("HttpSendFileTest"));
    // A body byte before the request is sent, or headers before it is opened.
    EXPECT_FALSE(client.AddRequestHeaders("A: b"));
    EXPECT_FALSE(client.Write("x", 1));
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.Port()));
    EXPECT_FALSE(client.OpenRequest("POST", "upgrade.cgi HTTP/1.1\r\nX:", "1.0"));
    ASSERT_TRUE(client.OpenRequest("POST", "/upgrade.cgi", "1.0"));
    // A carriage return would let a value start a field of its own; a line without a name is no field.
    EXPECT_FALSE(client.AddRequestHeaders("A: b\r\nInjected: yes"));
    EXPECT_FALSE(client.AddRequestHeaders("A: b\nno colon here"));
    ASSERT_TRUE(client.AddRequestHeaders("A: b\n\nC: d\n"));
    ASSERT_TRUE(client.SendRequest(3));
    EXPECT_FALSE(client.SendRequest(3));
    EXPECT_TRUE(client.Write("12", 2));
    EXPECT_FALSE(client.Write("34", 2));  // one byte more than announced
    EXPECT_TRUE(client.Write("3", 1));
    client.Close();

    const auto received = listener.WaitForClosed(1, kWaitMs);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "POST /upgrade.cgi HTTP/1.0\r\nA: b\r\nC: d\r\n\r\n123");
}

TEST(HttpClient, ConnectFailsOnARefusedPortAndOnANameWithoutLookingItUp) {
    HttpClient client;
    ASSERT_TRUE(client.Open("HttpSendFileTest"));
    EXPECT_FALSE(client.Connect("127.0.0.1", LoopbackListener::ClosedPort()));
    EXPECT_FALSE(client.Connect("localhost", 80));
    EXPECT_FALSE(client.Connect("127.0.0.256", 80));
    ASSERT_TRUE(client.OpenRequest("POST", "upgrade.cgi", "1.0"));
    EXPECT_FALSE(client.SendRequest(0));  // nothing to send it on
}

TEST(HttpClient, ConnectGivesUpWhenTheServerNeverCompletesTheHandshake) {
    // A full accept queue makes the kernel drop further handshakes, as an unreachable router would.
    LoopbackListener listener(LoopbackListener::Mode::NeverAccept, 0);
    ASSERT_TRUE(listener.Ok());
    std::vector<std::unique_ptr<HttpClient>> clients;
    bool timedOut = false;
    for (int attempt = 0; attempt < 8 && !timedOut; ++attempt) {
        clients.push_back(std::make_unique<HttpClient>(HttpTimeouts{300, 300}));
        const auto start = std::chrono::steady_clock::now();
        if (!clients.back()->Connect("127.0.0.1", listener.Port())) {
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_GE(took, std::chrono::milliseconds(250));
            EXPECT_LT(took, std::chrono::seconds(3));
            timedOut = true;
        }
    }
    EXPECT_TRUE(timedOut);
}

TEST(HttpClient, WriteFailsWithinTheSendTimeOutWhenThePeerStopsReading) {
    LoopbackListener listener(LoopbackListener::Mode::NeverRead);
    ASSERT_TRUE(listener.Ok());
    HttpClient client(HttpTimeouts{1'000, 200});
    ASSERT_TRUE(client.Open("HttpSendFileTest"));
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.Port()));
    ASSERT_TRUE(client.OpenRequest("POST", "upgrade.cgi", "1.0"));
    ASSERT_TRUE(client.SendRequest(0xFFFF'FFFFu));

    const std::string piece(64 * 1024, 'x');
    bool failed = false;
    std::chrono::steady_clock::duration lastWrite{};
    // Far more than any socket buffer pair holds.
    for (int i = 0; i < 2'000 && !failed; ++i) {
        const auto start = std::chrono::steady_clock::now();
        failed = !client.Write(piece.data(), piece.size());
        lastWrite = std::chrono::steady_clock::now() - start;
    }
    ASSERT_TRUE(failed);
    // The failing write waited for room about as long as it was allowed, and no longer.
    EXPECT_GE(lastWrite, std::chrono::milliseconds(180));
    EXPECT_LT(lastWrite, std::chrono::seconds(3));
}

// A write held up by a peer that stops reading gives up soon after the stop it watches is set, long
// before its send time-out.
TEST(HttpClient, WriteHeldUpByThePeerEndsSoonAfterAStop) {
    LoopbackListener listener(LoopbackListener::Mode::NeverRead);
    ASSERT_TRUE(listener.Ok());
    HttpClient client(HttpTimeouts{1'000, 30'000});
    std::atomic<bool> stop{false};
    client.WatchStop(&stop);
    ASSERT_TRUE(client.Open("HttpSendFileTest"));
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.Port()));
    ASSERT_TRUE(client.OpenRequest("POST", "upgrade.cgi", "1.0"));
    ASSERT_TRUE(client.SendRequest(0xFFFF'FFFFu));

    const std::string piece(64 * 1024, 'x');
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop.store(true);
    });
    const auto start = std::chrono::steady_clock::now();
    bool failed = false;
    for (int i = 0; i < 2'000 && !failed; ++i) {
        failed = !client.Write(piece.data(), piece.size());
    }
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_TRUE(failed);
    EXPECT_GE(took, std::chrono::milliseconds(450));
    EXPECT_LT(took, std::chrono::milliseconds(1'500));
}

// One connection on 127.0.0.1: reads `expected` bytes of request, sends `answer`, then closes at once or
// holds the connection until the client closes it.
class AnsweringServer {
public:
    AnsweringServer(std::size_t expected, std::string answer, bool hold)
        : expected(expected), answer(std::move(answer)), hold(hold) {
        listener = platform::OpenListeningSocket({127, 0, 0, 1}, 0);
        port = platform::LocalPort(listener);
        server = std::thread([this] { Serve(); });
    }
    ~AnsweringServer() {
        server.join();
        platform::CloseSocket(listener);
    }
    std::uint16_t Port() const { return port; }

private:
    void Serve() {
        platform::SocketHandle peer = platform::AcceptWithTimeout(listener, kWaitMs);
        std::string got;
        char block[4096];
        while (got.size() < expected) {
            const long n = platform::ReceiveSome(peer, block, sizeof block, kWaitMs);
            if (n <= 0) {
                break;
            }
            got.append(block, static_cast<std::size_t>(n));
        }
        platform::SendAll(peer, answer.data(), answer.size(), kWaitMs);
        while (hold && platform::ReceiveSome(peer, block, sizeof block, kWaitMs) > 0) {
        }
        platform::CloseSocket(peer);
    }

    std::size_t expected;
    std::string answer;
    bool hold;
    platform::SocketHandle listener = platform::kInvalidSocket;
    std::uint16_t port = 0;
    std::thread server;
};

TEST(HttpClient, ReadsTheAnswerAfterTheBodyWithinItsBounds) {
    constexpr int kAnswerMs = 1'000;
    struct Case {
        const char* name;
        std::string answer;
        bool hold;
        std::string expected;
        bool waitsTheWholeLimit;
    };
    const std::string refusal = "HTTP/1.0 400 Bad Request\r\nServer: httpd\r\n\r\n<html>no</html>";
    const std::vector<Case> cases = {
        {"refusal, then closed", refusal, false, "HTTP/1.0 400 Bad Request\r\n", false},
        // The status line is all that is needed: a connection kept open is not waited on.
        {"status line, kept open", "HTTP/1.0 200 Ok\r\n", true, "HTTP/1.0 200 Ok\r\n", false},
        {"no line end, endless", std::string(10'000, 'x'), true, std::string(4'096, 'x'), false},
        {"nothing, closed", "", false, "", false},
        {"nothing, kept open", "", true, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string head = "POST /x HTTP/1.0\r\n\r\n";
        AnsweringServer server(head.size() + 3, c.answer, c.hold);
        HttpTimeouts limits;
        limits.answerMs = kAnswerMs;
        HttpClient client(limits);
        ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));
        ASSERT_TRUE(client.OpenRequest("POST", "x", "1.0"));
        ASSERT_TRUE(client.SendRequest(3));
        ASSERT_TRUE(client.Write("ab", 2));
        EXPECT_EQ(client.ReadAnswer(), "") << "read before the body is complete";
        ASSERT_TRUE(client.Write("c", 1));
        const auto start = std::chrono::steady_clock::now();
        const std::string answer = client.ReadAnswer();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(answer.substr(0, c.expected.size()), c.expected);
        EXPECT_LE(answer.size(), c.hold ? c.expected.size() : platform::kMaxAnswerBytes);
        EXPECT_EQ(took >= std::chrono::milliseconds(kAnswerMs - 50), c.waitsTheWholeLimit);
        EXPECT_LT(took, std::chrono::milliseconds(kAnswerMs + 2'000));
        client.Close();
    }
}

}  // namespace
}  // namespace fwu
