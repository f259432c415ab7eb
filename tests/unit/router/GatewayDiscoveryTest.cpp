// Gateway discovery with fake probes, fake reports and fake adapter lists: nothing here sends a packet.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fstream>
#include <map>
#include <set>

#include "res/StringTable.h"
#include "router/GatewayDiscovery.h"

namespace fwu {
namespace {

using Strings = std::vector<std::string>;

TEST(ClassifyWindows, Table) {
    struct Row {
        int platformId, major, minor, expected;
    };
    const Row rows[] = {
        {0, 3, 1, kOsClassWin32s}, {1, 3, 95, kOsClassWin95},  {1, 4, 0, kOsClassWin95},
        {1, 4, 10, kOsClassWin98}, {1, 4, 90, kOsClassWin98},  {1, 5, 0, kOsClassWin98},
        {2, 3, 51, kOsClassNt},    {2, 4, 0, kOsClassNt},      {2, 5, 0, kOsClassWin2000},
        {2, 5, 1, kOsClassXp},     {2, 5, 2, kOsClassXp},      {2, 6, 0, kOsClassNt},
        {2, 10, 0, kOsClassNt},    {3, 5, 1, kOsClassUnknown}, {-1, 0, 0, kOsClassUnknown},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ClassifyWindows(r.platformId, r.major, r.minor), r.expected)
            << r.platformId << " " << r.major << "." << r.minor;
    }
}

TEST(ClassifyOs, OtherSystemsTakeTheAdapterRoute) {
    EXPECT_EQ(ClassifyOs({platform::OsFamily::Other, true, -1, 0, 0}), kOsClassNotWindows);
    EXPECT_EQ(ClassifyOs({platform::OsFamily::Windows, false, 2, 5, 1}), kOsClassUnknown);
    EXPECT_EQ(ClassifyOs({platform::OsFamily::Windows, true, 2, 5, 1}), kOsClassXp);
}

TEST(GatewayCandidatesFromReport, Reports) {
    struct Case {
        const char* name;
        std::string report;
        Strings expected;
    };
    const Case cases[] = {
        {"dots, colon and blank",
         "   Default Gateway . . . . . . . . . : 192.168.1.1\r\n   DNS Servers . . : 192.168.1.1\r\n",
         {"192.168.1.1"}},
        {"case of the key does not matter", "default gateway: 10.0.0.1\n", {"10.0.0.1"}},
        {"two adapters, the first without gateway",
         "Ethernet adapter A:\r\n  Default Gateway . . . : \r\n\r\nEthernet adapter B:\r\n"
         "  Default Gateway . . . : 192.168.2.1\r\n",
         {"192.168.2.1"}},
        {"two gateways in order",
         "Default Gateway: 10.0.0.1\nx\nDEFAULT GATEWAY: 10.0.0.2\n",
         {"10.0.0.1", "10.0.0.2"}},
        {"colon on a later line", "Default Gateway\nvalue: 172.16.0.1\n", {"172.16.0.1"}},
        {"no colon after the key", "Default Gateway 192.168.1.1\n", {}},
        {"colon only before the second key", "Default Gateway: 1.1.1.1\nDefault Gateway\n", {"1.1.1.1"}},
        {"no line end after the value", "Default Gateway: 192.168.1.1", {}},
        {"key absent (another language)", "Standardgateway . . . : 192.168.1.1\r\n", {}},
        {"value is upper-cased", "Default Gateway: fe80::1%12\r\n", {"FE80::1%12"}},
        {"only one character after the colon is dropped", "Default Gateway:192.168.1.1\n", {"92.168.1.1"}},
        {"empty report", "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GatewayCandidatesFromReport(c.report), c.expected) << c.name;
    }
}

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

constexpr char kTwoGateways[] =
    "Default Gateway . : 10.0.0.1\r\nDefault Gateway . : 10.0.0.2\r\n"
    "Default Gateway . : 10.0.0.3\r\n";

TEST(GatewayFromReport, FirstAnsweringCandidateWinsAndIsShownWhenAsked) {
    Recorder r;
    r.answering = {"10.0.0.2", "10.0.0.3"};
    EXPECT_EQ(GatewayFromReport(kTwoGateways, true, r.Prober(), r.Sink()), "10.0.0.2");
    EXPECT_EQ(r.probed, (Strings{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(r.shown, (Strings{"10.0.0.1", "10.0.0.2", "10.0.0.2"}));

    Recorder silent;
    EXPECT_EQ(GatewayFromReport(kTwoGateways, false, silent.Prober(), silent.Sink()), "192.168.1.1");
    EXPECT_EQ(silent.probed.size(), 3u);
    EXPECT_TRUE(silent.shown.empty());

    Recorder none;
    EXPECT_EQ(GatewayFromReport("no such line", true, none.Prober(), none.Sink()), "192.168.1.1");
    EXPECT_EQ(none.shown, (Strings{"192.168.1.1"}));
}

TEST(GatewayFromCommand, ReportInAPrivateFolderReadAndDeleted) {
    Recorder r;
    r.answering = {"10.0.0.2"};
    Strings argv;
    std::string reportPath;
    GatewayCommandServices tools{"/bin/cmd",
                                 [&](const Strings& a, const std::string& out) {
                                     argv = a;
                                     reportPath = out;
                                     std::ofstream(out) << kTwoGateways;
                                 },
                                 r.Prober(), r.Sink()};
    EXPECT_EQ(GatewayFromCommand(GatewayCommand::Ipconfig, true, tools), "10.0.0.2");
    EXPECT_EQ(argv, (Strings{"/bin/cmd", "/c", "ipconfig", "/all"}));
    const QFileInfo report(QString::fromStdString(reportPath));
    EXPECT_EQ(report.fileName(), "gateway.dat");
    EXPECT_NE(report.absolutePath(), QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    EXPECT_FALSE(report.exists());
    EXPECT_FALSE(report.dir().exists()) << "the private folder is removed";

    tools.run = [&](const Strings& a, const std::string& out) {
        argv = a;
        EXPECT_TRUE(out.empty());
        std::ofstream(a.back()) << kTwoGateways;
    };
    EXPECT_EQ(GatewayFromCommand(GatewayCommand::Winipcfg, false, tools), "10.0.0.2");
    ASSERT_EQ(argv.size(), 5u);
    EXPECT_EQ(Strings(argv.begin(), argv.begin() + 4), (Strings{"/bin/cmd", "/c", "winipcfg", "/batch"}));
}

TEST(GatewayFromCommand, NoInterpreterOrNoReportGivesEmpty) {
    Recorder r;
    int runs = 0;
    GatewayCommandServices tools{"", [&](const Strings&, const std::string&) { ++runs; }, r.Prober(),
                                 r.Sink()};
    EXPECT_EQ(GatewayFromCommand(GatewayCommand::Ipconfig, true, tools), "");
    EXPECT_EQ(runs, 0);
    tools.commandInterpreter = "/bin/cmd";
    EXPECT_EQ(GatewayFromCommand(GatewayCommand::Ipconfig, true, tools), "");  // ran, wrote nothing
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(r.shown.empty());
}

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

TEST(FindDefaultGateway, RouteByClassAndNeverEmpty) {
    struct Row {
        platform::OsVersion os;
        int expectedClass;
        std::string expectedAddress;
        bool ranCommand;
    };
    const Row rows[] = {
        {{platform::OsFamily::Other, true, -1, 0, 0}, kOsClassNotWindows, "10.1.1.1", false},
        {{platform::OsFamily::Windows, true, 2, 5, 1}, kOsClassXp, "10.1.1.1", false},
        {{platform::OsFamily::Windows, true, 2, 6, 1}, kOsClassNt, "10.2.2.2", true},
        {{platform::OsFamily::Windows, true, 1, 4, 0}, kOsClassWin95, "10.2.2.2", true},
        {{platform::OsFamily::Windows, true, 0, 3, 1}, kOsClassWin32s, "192.168.1.1", false},
        {{platform::OsFamily::Windows, false, 2, 5, 1}, kOsClassUnknown, "192.168.1.1", false},
    };
    for (const Row& row : rows) {
        Recorder r;
        r.answering = {"10.1.1.1", "10.2.2.2"};
        bool ran = false;
        GatewayDiscoveryServices tools;
        tools.osVersion = [&] { return row.os; };
        tools.adapters = [] { return Adapters({{"eth0", {"10.1.1.1"}}}); };
        tools.probe = r.Prober();
        tools.commandInterpreter = "/bin/cmd";
        tools.runCommand = [&](const Strings& argv, const std::string& out) {
            ran = true;
            std::ofstream(out.empty() ? argv.back() : out) << "Default Gateway: 10.2.2.2\n";
        };
        int osClass = 0;
        EXPECT_EQ(FindDefaultGateway(r.Sink(), tools, &osClass), row.expectedAddress) << row.expectedClass;
        EXPECT_EQ(osClass, row.expectedClass);
        EXPECT_EQ(ran, row.ranCommand) << row.expectedClass;
    }

    // A command route whose report cannot be read still ends with the default address.
    GatewayDiscoveryServices broken;
    broken.osVersion = [] { return platform::OsVersion{platform::OsFamily::Windows, true, 2, 6, 0}; };
    EXPECT_EQ(FindDefaultGateway({}, broken), "192.168.1.1");
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
        tools.osVersion = [] { return platform::OsVersion{platform::OsFamily::Other, true, -1, 0, 0}; };
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
    tools.osVersion = [] { return platform::OsVersion{platform::OsFamily::Other, true, -1, 0, 0}; };
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
