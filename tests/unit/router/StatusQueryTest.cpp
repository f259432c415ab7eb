// The status page exchange over scripted receive sequences, and once over a real loopback connection.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Socket.h"
#include "res/StringTable.h"
#include "router/RouterEndpoints.h"
#include "router/StatusQuery.h"
#include "tests/unit/router/ScriptedTransport.h"

namespace fwu {
namespace {

using test::ScriptedTransport;

constexpr char kOk[] = "HTTP/1.0 200 Ok\r\nContent-Type: text/html\r\n\r\n";

struct Outcome {
    int found = 0;
    std::string version;
    bool refused = false;
};

Outcome Query(ScriptedTransport& transport) {
    Outcome o;
    o.version = "left over";
    o.refused = true;
    o.found = QueryStatusPage(transport, "192.168.1.1", "REQUEST", kVersionStartMarker, kVersionEndMarker,
                              o.version, o.refused);
    return o;
}

struct Case {
    const char* name;
    std::vector<std::string> blocks;
    Outcome expected;
};

TEST(QueryStatusPage, ReceiveSequences) {
    const std::string ok = kOk;
    const Case cases[] = {
        {"one block", {ok + "<b>Firmware Version:v2.00.21, Jan 1</b>"}, {1, "v2.00.21", false}},
        {"status split across blocks", {"HTTP/1.0 2", "00 Ok\r\n\r\nFirmware Version:v1,"}, {0, "", true}},
        {"marker in one block, end in a later one",
         {ok + "Firmware Version:v2.00", ".22", " more", ", rest"},
         {1, "v2.00.22 more", false}},
        {"start marker split across blocks", {ok + "Firmware Ver", "sion:v3.1,"}, {1, "v3.1", false}},
        {"two markers, one version", {ok + "Firmware Version:A,<td>Firmware Version: A ,"}, {1, "A", false}},
        {"two markers, two versions", {ok + "Firmware Version:A,Firmware Version:B,"}, {0, "", false}},
        {"tail of a longer name skipped",
         {ok + "Latest Firmware Version:v2.00.22, <td>Firmware Version:v2.00.20,"},
         {1, "v2.00.20", false}},
        {"glued to a word skipped", {ok + "OldFirmware Version:v1, Firmware Version:v2,"}, {1, "v2", false}},
        {"only the longer name", {ok + "Latest Firmware Version:v2.00.22,"}, {0, "", false}},
        {"marker in a header skipped",
         {"HTTP/1.0 200 Ok\r\nX-Firmware Version:v9,\r\n\r\nFirmware Version:v2,"},
         {1, "v2", false}},
        {"header block without its end", {"HTTP/1.0 200 Ok\r\nFirmware Version:v9,"}, {0, "", false}},
        {"bare line feeds end the headers", {"HTTP/1.0 200 Ok\n\nFirmware Version:v3,"}, {1, "v3", false}},
        {"401 with the accepted line in its body",
         {"HTTP/1.0 401 Unauthorized\r\n\r\nHTTP/1.0 200 Ok\r\n\r\nFirmware Version:v1,"},
         {0, "", true}},
        {"accepted line with more after it",
         {"HTTP/1.0 200 Okay\r\n\r\nFirmware Version:v1,"},
         {0, "", true}},
        {"blanks around the version dropped",
         {ok + "Firmware Version: \tv2.00.22 ,"},
         {1, "v2.00.22", false}},
        {"blanks only", {ok + "Firmware Version: \t ,"}, {1, "", false}},
        {"blanks inside the version kept", {ok + "Firmware Version: v2 . 00,"}, {1, "v2 . 00", false}},
        {"percent sign kept", {ok + "Firmware Version:%s%n%d,"}, {1, "%s%n%d", false}},
        {"empty field", {ok + "Firmware Version:,"}, {1, "", false}},
        {"no marker, router closes", {ok + "<html>nothing here</html>"}, {0, "", false}},
        {"marker without an end", {ok + "Firmware Version:v2"}, {0, "", false}},
        {"HTTP/1.1 is refused", {"HTTP/1.1 200 Ok\r\n\r\nFirmware Version:v1,"}, {0, "", true}},
        {"OK in capitals is refused", {"HTTP/1.0 200 OK\r\n\r\nFirmware Version:v1,"}, {0, "", true}},
        {"wrong password", {"HTTP/1.0 401 Unauthorized\r\n\r\n"}, {0, "", true}},
        {"NUL ends the block's text",
         {ok + std::string("Firmware Version:\0v9,", 21), "x,"},
         {1, "x", false}},
        {"closed before anything", {}, {0, "", false}},
    };
    for (const Case& c : cases) {
        ScriptedTransport transport = ScriptedTransport::Blocks(c.blocks);
        const Outcome got = Query(transport);
        EXPECT_EQ(got.found, c.expected.found) << c.name;
        EXPECT_EQ(got.version, c.expected.version) << c.name;
        EXPECT_EQ(got.refused, c.expected.refused) << c.name;
        EXPECT_EQ(transport.closes, 1) << c.name;
    }
}

// Which end an answer's first line gives, and the line as it is shown.
TEST(ReadStatusPage, FirstLineTellsPasswordFromAnotherAnswer) {
    const struct {
        std::string block;
        StatusQueryEnd end;
        std::string shown;
    } cases[] = {
        {"HTTP/1.0 401 Unauthorized\r\n\r\n", StatusQueryEnd::Refused, "HTTP/1.0 401 Unauthorized"},
        {"HTTP/1.1 401\r\n\r\n", StatusQueryEnd::Refused, "HTTP/1.1 401"},
        {"HTTP/1.1 200 OK\r\n\r\nFirmware Version:v1,", StatusQueryEnd::NotStatusPage, "HTTP/1.1 200 OK"},
        {"HTTP/1.0 302 Found\r\nLocation: HTTP/1.0 200 Ok\r\n\r\n", StatusQueryEnd::NotStatusPage,
         "HTTP/1.0 302 Found"},
        {"HTTP/1.0 4010 Odd\r\n", StatusQueryEnd::NotStatusPage, "HTTP/1.0 4010 Odd"},
        {"SSH-2.0-\x01\xff\r\n", StatusQueryEnd::NotStatusPage, "SSH-2.0-??"},
        {"HTTP/1.0 500 " + std::string(100, 'e') + "\r\n", StatusQueryEnd::NotStatusPage,
         "HTTP/1.0 500 " + std::string(47, 'e')},
    };
    const StatusClock steady = [] { return std::chrono::steady_clock::now(); };
    for (const auto& c : cases) {
        ScriptedTransport transport = ScriptedTransport::Blocks({c.block});
        const StatusPageAnswer answer = ReadStatusPage(transport, "192.168.1.1", "REQUEST",
                                                       kVersionStartMarker, kVersionEndMarker, steady);
        EXPECT_EQ(answer.end, c.end) << c.block;
        EXPECT_EQ(answer.statusLine, c.shown) << c.block;
        EXPECT_EQ(answer.version, "") << c.block;
    }
}

TEST(QueryStatusPage, SendsTheRequestToPort80AndStopsReadingOnceFound) {
    ScriptedTransport transport =
        ScriptedTransport::Blocks({std::string(kOk) + "Firmware Version:v1,", "never read"});
    Query(transport);
    EXPECT_EQ(transport.connectedAddress, "192.168.1.1");
    EXPECT_EQ(transport.connectedPort, 80);
    EXPECT_EQ(transport.sent, "REQUEST");
    EXPECT_EQ(transport.receives, 1);
}

TEST(QueryStatusPage, FailedConnectSendOrReceiveIsNotARefusal) {
    ScriptedTransport noConnect;
    noConnect.connectOk = false;
    EXPECT_EQ(Query(noConnect).found, 0);
    EXPECT_FALSE(Query(noConnect).refused);
    EXPECT_TRUE(noConnect.sent.empty());

    ScriptedTransport noSend;
    noSend.sendOk = false;
    const Outcome sendFailed = Query(noSend);
    EXPECT_EQ(sendFailed.found, 0);
    EXPECT_FALSE(sendFailed.refused);
    EXPECT_EQ(noSend.receives, 0);

    // A silent router: the receive times out after the status line.
    ScriptedTransport silent = ScriptedTransport::Blocks({std::string(kOk) + "Firmware Version:v2"});
    silent.script.push_back({"", -1});
    silent.script.push_back({"Firmware Version:late,", 0});
    const Outcome timedOut = Query(silent);
    EXPECT_EQ(timedOut.found, 0);
    EXPECT_FALSE(timedOut.refused);
    EXPECT_EQ(silent.receives, 2);
}

TEST(QueryStatusPage, AnswerIsBoundedAndTheFieldCut) {
    // The field would complete only past 1,023 characters of answer: not found, and reading stops.
    std::string head = std::string(kOk) + std::string(1000 - sizeof kOk + 1, 'x');
    ASSERT_EQ(head.size(), 1000u);
    ScriptedTransport overflow =
        ScriptedTransport::Blocks({head, "Firmware Version:" + std::string(10, 'v'), ",", "more"});
    const Outcome full = Query(overflow);
    EXPECT_EQ(full.found, 0);
    EXPECT_EQ(overflow.receives, 2);

    // A field that ends right at the limit is still found.
    const std::string fits =
        std::string(kOk) + std::string(1023 - (sizeof kOk - 1) - 20, 'x') + ">Firmware Version:v,";
    ASSERT_EQ(fits.size(), 1023u);
    ScriptedTransport atLimit = ScriptedTransport::Blocks({fits.substr(0, 600), fits.substr(600)});
    EXPECT_EQ(Query(atLimit).version, "v");

    ScriptedTransport longField =
        ScriptedTransport::Blocks({std::string(kOk) + "Firmware Version:" + std::string(100, 'L') + ","});
    const Outcome cut = Query(longField);
    EXPECT_EQ(cut.found, 1);
    EXPECT_EQ(cut.version, std::string(kMaxVersionChars, 'L'));
}

TEST(QueryStatusPage, LeadingBlanksTakeNoRoomFromTheVersionAndTheCutEndsInNone) {
    ScriptedTransport leading = ScriptedTransport::Blocks(
        {std::string(kOk) + "Firmware Version:" + std::string(70, ' ') + std::string(100, 'L') + ","});
    EXPECT_EQ(Query(leading).version, std::string(kMaxVersionChars, 'L'));
    ScriptedTransport cutAtBlank =
        ScriptedTransport::Blocks({std::string(kOk) + "Firmware Version:v2" + std::string(80, ' ') + "x,"});
    EXPECT_EQ(Query(cutAtBlank).version, "v2");
}

// Routers that take their time, on the transport's own clock: the exchange has one deadline of
// kStatusExchangeLimitMs for connect, send and every receive together.
struct TimedCase {
    const char* name;
    ScriptedTransport transport;
    Outcome expected;
    long maxReceives;  // the bound on the number of receives the query may make
};

TEST(QueryStatusPage, OneDeadlineAndEveryByteCounted) {
    const std::string ok = kOk;
    const std::string page = ok + "Firmware Version:v2.00.30,";
    auto connectTaking = [&](int ms, std::vector<ScriptedTransport::Step> steps) {
        ScriptedTransport t;
        t.connectMs = ms;
        t.script.assign(steps.begin(), steps.end());
        return t;
    };
    const std::string nulBlock = std::string(1, '\0') + std::string(kStatusBlockBytes - 1, 'x');
    TimedCase cases[] = {
        {"printable byte a second", ScriptedTransport::Drip(ok, "x", 1000, 1000), {0, "", false}, 16},
        {"NUL a second", ScriptedTransport::Drip(ok, std::string(1, '\0'), 1000, 1000), {0, "", false}, 16},
        {"blocks that begin with a NUL", ScriptedTransport::Drip(ok, nulBlock, 0, 1000), {0, "", false}, 2},
        {"a thousand bytes one at a time, at once",
         ScriptedTransport::Drip(ok, "x", 0, 2000),
         {0, "", false},
         static_cast<long>(kMaxStatusResponseChars - ok.size() + 1)},
        {"field just before the deadline",
         ScriptedTransport::Drip(ok, "Firmware Version:v2.00.30,", 14999, 1),
         {1, "v2.00.30", false},
         2},
        {"field just after the deadline",
         ScriptedTransport::Drip(ok, "Firmware Version:v2.00.30,", 15001, 1),
         {0, "", false},
         2},
        {"blank field, slowly",
         ScriptedTransport::Drip(ok + "Firmware Version:", " v2.00.30 ,", 5000, 1),
         {1, "v2.00.30", false},
         2},
        {"slow connect counts",
         connectTaking(10000, {{page.substr(0, 20), 0, 3000}, {page.substr(20), 0, 3000}}),
         {0, "", false},
         2},
        {"connect slower than the deadline", connectTaking(20000, {{page, 0, 0}}), {0, "", false}, 0},
        {"silent after the status line",
         ScriptedTransport::Drip(ok, "Firmware Version:v1,", 60000, 1),
         {0, "", false},
         2},
    };
    for (TimedCase& c : cases) {
        Outcome got;
        got.found = QueryStatusPage(c.transport, "192.168.1.1", "REQUEST", kVersionStartMarker,
                                    kVersionEndMarker, got.version, got.refused, c.transport.Clock());
        EXPECT_EQ(got.found, c.expected.found) << c.name;
        EXPECT_EQ(got.version, c.expected.version) << c.name;
        EXPECT_EQ(got.refused, c.expected.refused) << c.name;
        EXPECT_LE(c.transport.elapsed.count(), kStatusExchangeLimitMs) << c.name;
        EXPECT_LE(c.transport.receives, c.maxReceives) << c.name;
        EXPECT_EQ(c.transport.closes, 1) << c.name;
    }
}

TEST(StatusEndpoints, RequestHeadNamesTheStatusPage) {
    const std::string head(LoadString(IDS_STATUS_REQUEST));
    EXPECT_EQ(head, "GET " + std::string(kStatusPagePath) + " HTTP/1.1\r\nAuthorization: Basic ");
    EXPECT_EQ(DefaultRouterAddress(), "192.168.1.1");
}

// A router on 127.0.0.1 that reads the request, optionally answers, and closes or keeps the connection.
class LoopbackRouter {
public:
    LoopbackRouter(std::string answer, bool closeAfter) {
        listener = platform::OpenListeningSocket({127, 0, 0, 1}, 0);
        port = platform::LocalPort(listener);
        server = std::thread([this, answer = std::move(answer), closeAfter] {
            platform::SocketHandle s = platform::AcceptWithTimeout(listener, 5000);
            char buffer[512];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const long n = platform::ReceiveSome(s, buffer, sizeof buffer, 5000);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            platform::SendAll(s, answer.data(), answer.size(), 5000);
            if (!closeAfter) {
                platform::ReceiveSome(s, buffer, sizeof buffer, 5000);  // until the client gives up
            }
            platform::CloseSocket(s);
        });
    }
    ~LoopbackRouter() {
        server.join();
        platform::CloseSocket(listener);
    }
    std::uint16_t port = 0;
    std::string request;  // read after the destructor's join, or after the query returned

private:
    platform::SocketHandle listener = platform::kInvalidSocket;
    std::thread server;
};

// Port 80 is fixed, so the real transport is tried through a thin wrapper that redirects the port.
class PortRedirect final : public StatusTransport {
public:
    PortRedirect(StatusTransport& inner, std::uint16_t port) : inner(inner), port(port) {}
    bool Connect(const std::string& address, std::uint16_t) override { return inner.Connect(address, port); }
    bool Send(std::string_view bytes) override { return inner.Send(bytes); }
    long Receive(char* buffer, std::size_t capacity) override { return inner.Receive(buffer, capacity); }
    void Close() override { inner.Close(); }
    void LimitWaits(int waitMs) override { inner.LimitWaits(waitMs); }

private:
    StatusTransport& inner;
    std::uint16_t port;
};

TEST(TcpStatusTransport, ReadsTheFieldFromALoopbackRouter) {
    std::string version;
    bool refused = true;
    int found = 0;
    {
        LoopbackRouter router(std::string(kOk) + "Firmware Version:v2.00.22,", true);
        TcpStatusTransport tcp;
        PortRedirect transport(tcp, router.port);
        found = QueryStatusPage(transport, "127.0.0.1", "GET / HTTP/1.1\r\n\r\n", kVersionStartMarker,
                                kVersionEndMarker, version, refused);
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(version, "v2.00.22");
    EXPECT_FALSE(refused);
}

TEST(TcpStatusTransport, RouterThatNeverClosesEndsWithinTheReceiveLimit) {
    LoopbackRouter router(std::string(kOk) + "Firmware Version:v2", false);
    TcpStatusTransport tcp({1000, 1000, 300});
    PortRedirect transport(tcp, router.port);
    std::string version;
    bool refused = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QueryStatusPage(transport, "127.0.0.1", "GET / HTTP/1.1\r\n\r\n", kVersionStartMarker,
                              kVersionEndMarker, version, refused),
              0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(refused);
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

TEST(TcpStatusTransport, SilentRouterEndsAtTheExchangeDeadlineNotTheLongerReceiveLimit) {
    LoopbackRouter router(std::string(kOk) + "Firmware Version:v2", false);
    TcpStatusTransport tcp;  // 10 s for each receive
    PortRedirect transport(tcp, router.port);
    std::string version;
    bool refused = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QueryStatusPage(
                  transport, "127.0.0.1", "GET / HTTP/1.1\r\n\r\n", kVersionStartMarker, kVersionEndMarker,
                  version, refused, [] { return std::chrono::steady_clock::now(); }, 400),
              0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(refused);
    EXPECT_GE(elapsed, std::chrono::milliseconds(390));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

}  // namespace
}  // namespace fwu
