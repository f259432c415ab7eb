// The router check with a fake ARP flush, a fake probe and a scripted status transport.
#include <gtest/gtest.h>

#include "router/Credential.h"
#include "router/RouterCheck.h"
#include "tests/unit/router/ScriptedTransport.h"

namespace fwu {
namespace {

using test::ScriptedTransport;

constexpr char kPage[] = "HTTP/1.0 200 Ok\r\n\r\n<td>Firmware Version:v2.00.21, Dec 01 2006</td>";

struct Harness {
    std::vector<std::string> flushed;
    std::vector<std::string> probed;
    bool answers = true;
    std::optional<ProbeOutcome> probeOutcome;  // when set, the probe tells "not sent" apart
    std::optional<ProbeAttempt> attempt;       // when set, the probe also tells its means and refusal
    ScriptedTransport transport;

    RouterCheckResult Run(const RouterAddress& address, const std::string& password = "admin") {
        std::string credential;
        EXPECT_TRUE(BuildBasicCredential(password, credential));
        RouterCheckServices tools{[this](const std::string& a) { flushed.push_back(a); },
                                  [this](const std::string& a) {
                                      probed.push_back(a);
                                      return answers;
                                  },
                                  &transport};
        if (probeOutcome) {
            tools.probeHost = [this](const std::string& a) {
                probed.push_back(a);
                return *probeOutcome;
            };
        }
        if (attempt) {
            tools.probeAttempt = [this](const std::string& a) {
                probed.push_back(a);
                return *attempt;
            };
        }
        return CheckRouter(address, credential, tools);
    }
};

const RouterAddress kRouter = RouterAddress::Split("192.168.1.1");

TEST(CheckRouter, FlushesAndProbesTheDottedAddressOnce) {
    Harness h;
    h.answers = false;
    h.Run(RouterAddress::FromFields({"192", "168", "", "1"}));
    h.Run(RouterAddress::FromFields({"", "", "", ""}));
    EXPECT_EQ(h.flushed, (std::vector<std::string>{"192.168.0.1", "0.0.0.0"}));
    EXPECT_EQ(h.probed, (std::vector<std::string>{"192.168.0.1"}));  // 0.0.0.0 is no router's address
}

TEST(CheckRouter, AddressesNoRouterHoldsAreToldSoAndNeverProbed) {
    for (const char* address : {"127.0.0.1", "0.0.0.0", "224.0.0.1", "255.255.255.255", "239.1.2.3"}) {
        Harness h;
        h.probeOutcome = ProbeOutcome::NotSent;  // what the probe itself says of such an address
        const RouterCheckResult result = h.Run(RouterAddress::Split(address));
        EXPECT_FALSE(result.passed) << address;
        EXPECT_EQ(result.reason, RouterCheckReason::NotRouterAddress) << address;
        EXPECT_TRUE(h.probed.empty()) << address;
    }
}

TEST(CheckRouter, SendsExactlyTheStatusRequest) {
    Harness h;
    h.transport = ScriptedTransport::Blocks({kPage});
    ASSERT_TRUE(h.Run(kRouter, "admin").passed);
    EXPECT_EQ(h.transport.sent, "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OmFkbWlu\r\n\r\n");
    EXPECT_EQ(h.transport.connectedAddress, "192.168.1.1");
}

struct OutcomeCase {
    const char* name;
    bool answers;
    bool connects;
    std::vector<std::string> blocks;
    bool expectedResult;
    const char* expectedVersion;  // nullptr: none
    RouterCheckReason reason;
    std::string statusLine = {};
    std::optional<ProbeOutcome> probe = std::nullopt;  // nothing: the plain ping
    std::vector<long> results = {};                    // plain receive results after the blocks
};

TEST(CheckRouter, Outcomes) {
    const OutcomeCase cases[] = {
        {"version read", true, true, {kPage}, true, "v2.00.21", RouterCheckReason::VersionRead},
        {"no probe answer", false, true, {kPage}, false, nullptr, RouterCheckReason::NoAnswer},
        {"refused",
         true,
         true,
         {"HTTP/1.0 401 Unauthorized\r\n\r\n"},
         false,
         nullptr,
         RouterCheckReason::PasswordRefused,
         "HTTP/1.0 401 Unauthorized"},
        {"refused with control bytes",
         true,
         true,
         {"HTTP/1.0 401 \x1b[2J\x07No\r\nServer: x\r\n"},
         false,
         nullptr,
         RouterCheckReason::PasswordRefused,
         "HTTP/1.0 401 ?[2J?No"},
        {"connect fails", true, false, {}, true, nullptr, RouterCheckReason::ConnectionFailed},
        {"reset at once", true, true, {}, true, nullptr, RouterCheckReason::ConnectionFailed},
        {"page without marker",
         true,
         true,
         {"HTTP/1.0 200 Ok\r\n\r\n<html></html>"},
         true,
         nullptr,
         RouterCheckReason::NoVersionField},
        {"page stops answering",
         true,
         true,
         {"HTTP/1.0 200 Ok\r\n\r\n<html>"},
         true,
         nullptr,
         RouterCheckReason::NoAnswerInTime,
         "",
         std::nullopt,
         {-1}},
        {"no ICMP socket",
         true,
         true,
         {kPage},
         false,
         nullptr,
         RouterCheckReason::PingNotAllowed,
         "",
         ProbeOutcome::NotSent},
        {"probe unanswered",
         true,
         true,
         {kPage},
         false,
         nullptr,
         RouterCheckReason::NoAnswer,
         "",
         ProbeOutcome::Silent},
    };
    for (const OutcomeCase& c : cases) {
        Harness h;
        h.answers = c.answers;
        h.probeOutcome = c.probe;
        h.transport = ScriptedTransport::Blocks(c.blocks);
        for (const long r : c.results) {
            h.transport.script.push_back({"", r});
        }
        h.transport.connectOk = c.connects;
        const RouterCheckResult result = h.Run(kRouter);
        EXPECT_EQ(result.reason, c.reason) << c.name;
        EXPECT_EQ(result.statusLine, c.statusLine) << c.name;
        EXPECT_EQ(result.passed, c.expectedResult) << c.name;
        const std::optional<std::string> version =
            c.expectedVersion ? std::optional<std::string>(c.expectedVersion) : std::nullopt;
        EXPECT_EQ(result.version, version) << c.name;
        if (!c.answers || c.probe) {
            EXPECT_EQ(h.transport.connects, 0) << c.name << ": nothing is sent without a probe answer";
        }
    }
}

// What the system said of a request it would not send is the check's reason; the means is told either way,
// and nothing is asked of the web page without an answer.
TEST(CheckRouter, TheProbesMeansAndRefusalReachTheResult) {
    const struct {
        const char* name;
        ProbeAttempt attempt;
        bool passed;
        RouterCheckReason reason;
    } cases[] = {
        {"answered", {ProbeOutcome::Answered, ProbeMeans::Helper}, true, RouterCheckReason::VersionRead},
        {"silent", {ProbeOutcome::Silent, ProbeMeans::Helper}, false, RouterCheckReason::NoAnswer},
        {"broadcast",
         {ProbeOutcome::Silent, ProbeMeans::Helper, ProbeRefusal::Broadcast},
         false,
         RouterCheckReason::BroadcastAddress},
        {"no route",
         {ProbeOutcome::Silent, ProbeMeans::Helper, ProbeRefusal::NoRoute},
         false,
         RouterCheckReason::NoRoute},
        {"no socket", {ProbeOutcome::NotSent, ProbeMeans::None}, false, RouterCheckReason::PingNotAllowed},
        {"datagram silent",
         {ProbeOutcome::Silent, ProbeMeans::DatagramSocket},
         false,
         RouterCheckReason::NoAnswer},
    };
    for (const auto& c : cases) {
        Harness h;
        h.attempt = c.attempt;
        h.transport = ScriptedTransport::Blocks({kPage});
        const RouterCheckResult result = h.Run(kRouter);
        EXPECT_EQ(result.passed, c.passed) << c.name;
        EXPECT_EQ(result.reason, c.reason) << c.name;
        EXPECT_EQ(result.probeMeans, c.attempt.means) << c.name;
        EXPECT_EQ(h.probed, std::vector<std::string>{"192.168.1.1"}) << c.name;
        if (!c.passed) {
            EXPECT_EQ(h.transport.connects, 0) << c.name;
        }
    }
}

}  // namespace
}  // namespace fwu
