// Gateway discovery with fake probes and fake adapter lists: nothing here sends a packet.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "res/StringTable.h"
#include "router/GatewayDiscovery.h"

namespace fwu {
namespace {

using Strings = std::vector<std::string>;

struct Recorder {
    std::set<std::string> answering;
    Strings probed;
    Strings shown;
    GatewayProber Prober() {
        return [this](const std::string& a) {
            probed.push_back(a);
            return answering.count(a) > 0;
        };
    }
    MessageSink Sink() {
        return [this](const std::string& t) { shown.push_back(t); };
    }
};

platform::AdapterList Adapters(std::vector<platform::NetworkAdapter> list) {
    return {platform::AdapterListStatus::Ok, std::move(list)};
}

TEST(GatewayFromAdapters, FirstGatewayOfEachAdapterInOrder) {
    Recorder r;
    r.answering = {"10.0.0.9", "192.168.5.1"};
    const auto list =
        Adapters({{"eth0", {}}, {"eth1", {"10.0.0.1", "10.0.0.9"}}, {"wlan0", {"192.168.5.1"}}});
    EXPECT_EQ(GatewayFromAdapters([&] { return list; }, r.Prober(), r.Sink()), "192.168.5.1");
    EXPECT_EQ(r.probed, (Strings{"10.0.0.1", "192.168.5.1"}));
    EXPECT_TRUE(r.shown.empty());

    Recorder none;
    EXPECT_EQ(GatewayFromAdapters([&] { return list; }, none.Prober(), none.Sink()), "192.168.1.1");
}

TEST(GatewayFromAdapters, NoAdaptersAndUnsupportedAreReported) {
    Recorder r;
    EXPECT_EQ(GatewayFromAdapters(
                  [] {
                      return platform::AdapterList{platform::AdapterListStatus::NoAdapters, {}};
                  },
                  r.Prober(), r.Sink()),
              "192.168.1.1");
    EXPECT_EQ(GatewayFromAdapters(
                  [] {
                      return platform::AdapterList{platform::AdapterListStatus::Unsupported, {}};
                  },
                  r.Prober(), r.Sink()),
              "192.168.1.1");
    EXPECT_EQ(r.shown, (Strings{std::string(LoadString(IDS_NO_ADAPTERS)),
                                std::string(LoadString(IDS_ADAPTERS_UNSUPPORTED))}));
    EXPECT_TRUE(r.probed.empty());
}

// The adapters' route, and the default address when no adapter list can be had.
TEST(FindDefaultGateway, AdapterRouteAndNeverEmpty) {
    Recorder r;
    r.answering = {"10.1.1.1"};
    GatewayDiscoveryServices tools;
    tools.adapters = [] { return Adapters({{"eth0", {"10.1.1.1"}}}); };
    tools.probe = r.Prober();
    EXPECT_EQ(FindDefaultGateway(r.Sink(), tools), "10.1.1.1");
    EXPECT_EQ(r.probed, (Strings{"10.1.1.1"}));

    EXPECT_EQ(FindDefaultGateway({}, GatewayDiscoveryServices{}), "192.168.1.1");
}

// The log is told every candidate with its probe's outcome, then the proposal, default included.
TEST(FindDefaultGateway, ReportsCandidatesAndProposal) {
    struct Row {
        std::set<std::string> answering;
        Strings reported;
    };
    const Row rows[] = {
        {{"10.2.2.2"},
         {"candidate 10.1.1.1: no answer", "candidate 10.2.2.2: answered", "proposed 10.2.2.2"}},
        {{}, {"candidate 10.1.1.1: no answer", "candidate 10.2.2.2: no answer", "proposed 192.168.1.1"}},
    };
    for (const Row& row : rows) {
        Recorder r;
        r.answering = row.answering;
        Strings reported;
        GatewayDiscoveryServices tools;
        tools.adapters = [] { return Adapters({{"eth0", {"10.1.1.1"}}, {"eth1", {"10.2.2.2"}}}); };
        tools.probe = r.Prober();
        tools.report = [&reported](const std::string& line) { reported.push_back(line); };
        FindDefaultGateway(r.Sink(), tools);
        EXPECT_EQ(reported, row.reported);
    }
}

// With the full probe the log names what sent each probe, and never calls unprobed "no answer".
TEST(FindDefaultGateway, ReportsTheMeansAndACandidateThatCouldNotBeProbed) {
    const std::map<std::string, ProbeAttempt> attempts = {
        {"10.1.1.1", {ProbeOutcome::NotSent, ProbeMeans::None}},
        {"10.2.2.2", {ProbeOutcome::Silent, ProbeMeans::Helper}},
        {"10.3.3.3", {ProbeOutcome::Answered, ProbeMeans::DatagramSocket}},
    };
    Strings reported;
    GatewayDiscoveryServices tools;
    tools.adapters = [] {
        return Adapters({{"eth0", {"10.1.1.1"}}, {"eth1", {"10.2.2.2"}}, {"eth2", {"10.3.3.3"}}});
    };
    tools.probe = [](const std::string&) { return true; };  // passed over when probeAttempt is set
    tools.probeAttempt = [&attempts](const std::string& address) { return attempts.at(address); };
    tools.report = [&reported](const std::string& line) { reported.push_back(line); };
    Recorder r;
    EXPECT_EQ(FindDefaultGateway(r.Sink(), tools), "10.3.3.3");
    EXPECT_EQ(reported, (Strings{"candidate 10.1.1.1: not probed (no means of pinging)",
                                 "candidate 10.2.2.2: no answer (probe helper)",
                                 "candidate 10.3.3.3: answered (datagram socket)", "proposed 10.3.3.3"}));
}

}  // namespace
}  // namespace fwu
