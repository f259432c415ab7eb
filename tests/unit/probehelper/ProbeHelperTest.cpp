// The echo rules over bytes, the probe helper's refusals, and ProbeThroughHelper against shell scripts
// standing in for the helper. Nothing here sends a packet.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ProbeHelper.h"
#include "platform/Process.h"
#include "probehelper/EchoRules.h"

namespace fwu {
namespace {

using Bytes = std::vector<unsigned char>;

const echo::Address kRouter{192, 168, 1, 1};
const echo::Address kOther{192, 168, 1, 9};
// BuildRequest(0x1234): type 8, code 0, checksum C2 ED, identifier 34 12, sequence 01 00.
const echo::Request kRequest{0x08, 0x00, 0xC2, 0xED, 0x34, 0x12, 0x01, 0x00};

// A 20-byte IP header (ICMP, source `from`) and an 8-byte ICMP message.
// Built at its whole size and copied into, not grown by insert: GCC 12 at -O2 takes vector::insert here for
// an out-of-bounds access (-Warray-bounds) where there is none.
Bytes WithIpHeader(const echo::Address& from, const Bytes& message, unsigned char protocol = 1) {
    const unsigned char header[] = {0x45, 0, 0,       28,      0,       0,       0,   0,   64, protocol,
                                    0,    0, from[0], from[1], from[2], from[3], 192, 168, 1,  2};
    Bytes datagram(sizeof header + message.size());
    std::copy(std::begin(header), std::end(header), datagram.begin());
    std::copy(message.begin(), message.end(), datagram.begin() + sizeof header);
    return datagram;
}

TEST(EchoRules, TheRequestBytes) {
    EXPECT_EQ(echo::BuildRequest(0x1234), kRequest);
    EXPECT_EQ(echo::BuildRequest(0xABCD1234u), kRequest);
    EXPECT_EQ(echo::RequestIdentifier(kRequest), 0x1234);
}

TEST(EchoRules, OnlyTheReplyFromTheProbedAddressWithItsIdentifierAndSequenceCounts) {
    const Bytes reply{0x00, 0x00, 0xCA, 0xED, 0x34, 0x12, 0x01, 0x00};
    struct Case {
        const char* name;
        Bytes datagram;
        echo::Address sender;
        bool expected;
    };
    const Case cases[] = {
        {"the reply", WithIpHeader(kRouter, reply), kRouter, true},
        {"from another host", WithIpHeader(kOther, reply), kOther, false},
        {"header names another source", WithIpHeader(kOther, reply), kRouter, false},
        {"wrong identifier", WithIpHeader(kRouter, {0, 0, 0, 0, 0x35, 0x12, 1, 0}), kRouter, false},
        {"wrong sequence", WithIpHeader(kRouter, {0, 0, 0, 0, 0x34, 0x12, 2, 0}), kRouter, false},
        {"own request seen again", WithIpHeader(kRouter, Bytes(kRequest.begin(), kRequest.end())), kRouter,
         false},
        {"unreachable quoting it", WithIpHeader(kRouter, {3, 1, 0, 0, 0x34, 0x12, 1, 0}), kRouter, false},
        {"not ICMP", WithIpHeader(kRouter, reply, 17), kRouter, false},
        {"cut short", WithIpHeader(kRouter, {0, 0, 0, 0, 0x34, 0x12}), kRouter, false},
        {"header only", Bytes(20, 0x45), kRouter, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(echo::IsReply(c.datagram.data(), c.datagram.size(), true, c.sender, kRouter, kRequest),
                  c.expected)
            << c.name;
    }
}

TEST(EchoRules, IdentifierText) {
    struct Case {
        const char* text;
        bool valid;
        std::uint16_t value;
    };
    const Case cases[] = {{"0", true, 0},      {"4660", true, 4660}, {"65535", true, 65535},
                          {"65536", false, 0}, {"99999", false, 0},  {"100000", false, 0},
                          {"012", false, 0},   {"-1", false, 0},     {"+1", false, 0},
                          {" 1", false, 0},    {"1 ", false, 0},     {"", false, 0},
                          {"0x10", false, 0}};
    for (const Case& c : cases) {
        std::uint16_t value = 0;
        EXPECT_EQ(echo::ParseIdentifier(c.text, value), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(EchoRules, SendFailuresTheProgramIsTold) {
    const struct {
        int error;
        char answer;
    } cases[] = {{EACCES, 'B'}, {ENETUNREACH, 'U'}, {EHOSTUNREACH, 'U'}, {EPERM, 0}, {ENOBUFS, 0}, {0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(echo::SendFailureAnswer(c.error), c.answer) << c.error;
    }
}

// The real helper with its input closed at once: refused arguments end it before it opens anything;
// an accepted address (as root) opens the socket, sends nothing, and ends with the input.
TEST(ProbeHelperProgram, RefusalsAndTheEndOfInput) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
    };
    const int accepted = geteuid() == 0 ? 0 : 3;  // without the right to a raw socket: exit 3
    const Case cases[] = {
        {{"127.0.0.1", "1"}, 2},
        {{"0.0.0.0", "1"}, 2},
        {{"0.1.2.3", "1"}, 2},
        {{"224.0.0.1", "1"}, 2},
        {{"239.255.255.250", "1"}, 2},
        {{"255.255.255.255", "1"}, 2},
        {{"192.168.1", "1"}, 2},
        {{"192.168.1.1 ", "1"}, 2},
        {{"localhost", "1"}, 2},
        {{"192.168.1.1", "65536"}, 2},
        {{"192.168.1.1"}, 2},
        {{"192.168.1.1", "1", "x"}, 2},
        {{"192.168.1.1", "4660"}, accepted},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{FWU_PROBE_HELPER};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const platform::RunResult run = platform::RunAndWait(argv, platform::RunOptions{});
        std::string shown;
        for (const std::string& a : c.arguments) {
            shown += a + "|";
        }
        EXPECT_TRUE(run.exited) << shown;
        EXPECT_EQ(run.exitCode, c.exitCode) << shown;
    }
}

// A folder of stand-in helpers, each a shell script.
struct StandIns {
    std::string folder;
    StandIns() {
        char pattern[] = "/tmp/fwu-probe-helper-XXXXXX";
        folder = mkdtemp(pattern);
    }
    ~StandIns() { platform::RunAndWait({"rm", "-rf", folder}, {}); }
    std::string Write(const std::string& name, const std::string& body) const {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0700);
        return path;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(folder + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST(ProbeThroughHelper, AnswersAndEveryWayItCanFail) {
    StandIns s;
    const std::string record =
        "echo \"$# $1 $2\" > " + s.folder + "/args; env | grep -vc ^PWD= > " + s.folder + "/env; ";
    struct Case {
        const char* name;
        std::string path;
        platform::HelperProbe expected;
        long atMostMs;
    };
    const Case cases[] = {
        {"answered", s.Write("a", record + "head -c 1 >/dev/null; printf A"), platform::HelperProbe::Answered,
         1000},
        {"silent", s.Write("s", "head -c 1 >/dev/null; printf S"), platform::HelperProbe::Silent, 1000},
        {"broadcast refused", s.Write("b", "head -c 1 >/dev/null; printf B"),
         platform::HelperProbe::Broadcast, 1000},
        {"no route", s.Write("u", "head -c 1 >/dev/null; printf U"), platform::HelperProbe::NoRoute, 1000},
        {"another byte", s.Write("x", "head -c 1 >/dev/null; printf Z"), platform::HelperProbe::Unavailable,
         1000},
        {"ends without a word", s.Write("q", "exit 2"), platform::HelperProbe::Unavailable, 1000},
        {"never answers", s.Write("h", "echo $$ > " + s.folder + "/pid; exec sleep 30"),
         platform::HelperProbe::Unavailable, 2500},
        {"absent", s.folder + "/none", platform::HelperProbe::Unavailable, 100},
        {"not executable", s.folder + "/args", platform::HelperProbe::Unavailable, 100},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const platform::HelperProbe got = platform::ProbeThroughHelper(c.path, "192.168.1.1", 4660, 1000);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_LE(ms, c.atMostMs) << c.name;
    }
    EXPECT_EQ(s.Read("args"), "2 192.168.1.1 4660\n");
    EXPECT_EQ(s.Read("env"), "0\n");  // started with an empty environment (the shell sets PWD itself)
    // The helper that overran the wait was killed and reaped: its process is gone.
    const int pid = std::atoi(s.Read("pid").c_str());
    ASSERT_GT(pid, 0);
    EXPECT_NE(kill(pid, 0), 0);
}

}  // namespace
}  // namespace fwu
