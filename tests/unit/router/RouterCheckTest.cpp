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
    ScriptedTransport transport;

    bool Run(RouterCheckFields& fields) {
        const RouterCheckTools tools{[this](const std::string& a) { flushed.push_back(a); },
                                     [this](const std::string& a) {
                                         probed.push_back(a);
                                         return answers;
                                     },
                                     &transport};
        return CheckRouter(fields, tools);
    }
};

RouterCheckFields Fields(std::array<std::string, 4> octets, std::string password = "admin") {
    RouterCheckFields f;
    f.octetFieldText = std::move(octets);
    f.passwordFieldText = std::move(password);
    f.routerVersion = "previous";
    return f;
}

TEST(CheckRouter, EmptyOctetsReadAsZero) {
    Harness h;
    h.answers = false;
    RouterCheckFields f = Fields({"192", "168", "", "1"});
    h.Run(f);
    EXPECT_EQ(f.routerAddress, "192.168.0.1");
    EXPECT_EQ(f.octetText[2], "0");
    EXPECT_EQ(f.octetFieldText[2], "");  // the field itself is left alone

    RouterCheckFields empty = Fields({"", "", "", ""});
    h.Run(empty);
    EXPECT_EQ(empty.routerAddress, "0.0.0.0");
    EXPECT_EQ(h.flushed, (std::vector<std::string>{"192.168.0.1", "0.0.0.0"}));
    EXPECT_EQ(h.probed, h.flushed);
}

TEST(CheckRouter, SendsExactlyTheStatusRequest) {
    Harness h;
    h.transport = ScriptedTransport::Blocks({kPage});
    RouterCheckFields f = Fields({"192", "168", "1", "1"}, "admin");
    ASSERT_TRUE(h.Run(f));
    EXPECT_EQ(h.transport.sent, "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OmFkbWlu\r\n\r\n");
    EXPECT_EQ(h.transport.connectedAddress, "192.168.1.1");
    EXPECT_EQ(f.password, "admin");
}

struct OutcomeCase {
    const char* name;
    bool answers;
    bool connects;
    std::vector<std::string> blocks;
    bool expectedResult;
    const char* expectedVersion;
};

TEST(CheckRouter, Outcomes) {
    const OutcomeCase cases[] = {
        {"version read", true, true, {kPage}, true, "v2.00.21"},
        {"no probe answer", false, true, {kPage}, false, "previous"},
        {"refused", true, true, {"HTTP/1.0 401 Unauthorized\r\n\r\n"}, false, "previous"},
        {"connect fails", true, false, {}, true, "previous"},
        {"reset at once", true, true, {}, true, "previous"},
        {"page without marker", true, true, {"HTTP/1.0 200 Ok\r\n\r\n<html></html>"}, true, "previous"},
    };
    for (const OutcomeCase& c : cases) {
        Harness h;
        h.answers = c.answers;
        h.transport = ScriptedTransport::Blocks(c.blocks);
        h.transport.connectOk = c.connects;
        RouterCheckFields f = Fields({"192", "168", "1", "1"});
        EXPECT_EQ(h.Run(f), c.expectedResult) << c.name;
        EXPECT_EQ(f.routerVersion, c.expectedVersion) << c.name;
        if (!c.answers) {
            EXPECT_EQ(h.transport.connects, 0) << c.name << ": nothing is sent without a probe answer";
        }
    }
}

TEST(CheckRouter, PasswordTooLongForTheCredentialFailsWithoutTraffic) {
    Harness h;
    h.transport = ScriptedTransport::Blocks({kPage});
    RouterCheckFields f = Fields({"192", "168", "1", "1"}, std::string(kMaxPasswordBytes + 1, 'p'));
    EXPECT_FALSE(h.Run(f));
    EXPECT_TRUE(h.probed.empty());
    EXPECT_EQ(h.transport.connects, 0);
    EXPECT_EQ(f.routerVersion, "previous");

    Harness longest;
    longest.transport = ScriptedTransport::Blocks({kPage});
    RouterCheckFields fits = Fields({"192", "168", "1", "1"}, std::string(kMaxPasswordBytes, 'p'));
    EXPECT_TRUE(longest.Run(fits));
    EXPECT_EQ(fits.routerVersion, "v2.00.21");
}

}  // namespace
}  // namespace fwu
