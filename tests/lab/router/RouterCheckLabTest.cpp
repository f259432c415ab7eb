// The router check against the simulated router: the right and wrong password and every way the router
// can misbehave, each with the check's result, the version it keeps, and what the router received.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>

#include "router/Credential.h"
#include "router/RouterCheck.h"
#include "tools/labsupport/RouterSim.h"

namespace fwu {
namespace {

// The Basic credential the run makes of a password.
std::string CredentialOf(const std::string& password) {
    std::string credential;
    BuildBasicCredential(password, credential);
    return credential;
}

constexpr const char* kUnchanged = "(earlier version)";

struct CheckCase {
    const char* name;
    QStringList simArguments;
    std::string password;
    bool result;
    std::string version;  // what routerVersion holds afterwards
    bool requestSent = true;
    qint64 atLeastMs = 0;    // the check took at least this long
    qint64 withinMs = 5000;  // and ended within this
};

const CheckCase kCases[] = {
    {"RightPassword", {}, "rodel", true, "v2.00.20"},
    {"WrongPassword", {}, "admin", false, kUnchanged},
    {"EmptyPassword", {"--password", ""}, "", true, "v2.00.20"},
    {"NewerRouter", {"--version", "v2.00.30"}, "rodel", true, "v2.00.30"},
    {"StatusLineOfHttp11", {"--fault", "status-1.1"}, "rodel", false, kUnchanged},
    {"StatusLineSplit", {"--fault", "split-status"}, "rodel", false, kUnchanged},
    {"MarkerAndCommaSplit", {"--fault", "split-marker"}, "rodel", true, "v2.00.20"},
    {"NoMarker", {"--fault", "no-marker"}, "rodel", true, kUnchanged},
    {"LatestVersionFieldFirst", {"--fault", "latest-version-field"}, "rodel", true, "v2.00.20"},
    {"TwoDifferentVersions", {"--fault", "two-versions"}, "rodel", true, kUnchanged},
    {"MarkerBeyondTheAnswerLimit", {"--fault", "long-page"}, "rodel", true, kUnchanged},
    {"BlankBeforeVersion", {"--fault", "blank-version"}, "rodel", true, "v2.00.20"},
    {"NeverCloses", {"--fault", "never-close"}, "rodel", true, "v2.00.20"},
    {"ResetAfterAccept", {"--fault", "reset"}, "rodel", true, kUnchanged, false},
    {"PortClosed", {"--fault", "closed"}, "rodel", true, kUnchanged, false},
    {"SilentRouter", {"--start-silent", "--restart-ms", "20000"}, "rodel", false, kUnchanged, false},
    // A page dripped a byte a second ends with the exchange's 15 s deadline, as a failed connection.
    {"DripPrintable", {"--fault", "drip"}, "rodel", true, kUnchanged, true, 14500, 20000},
    {"DripNul", {"--fault", "drip-nul"}, "rodel", true, kUnchanged, true, 14500, 20000},
    {"DripFastEnough", {"--fault", "drip", "--drip-ms", "20"}, "rodel", true, "v2.00.20", true, 0, 15000},
};

class RouterCheckLab : public testing::TestWithParam<CheckCase> {};

TEST_P(RouterCheckLab, ResultVersionAndRequest) {
    const CheckCase& c = GetParam();
    lab::RouterSim sim(c.simArguments);
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();

    QElapsedTimer timer;
    timer.start();
    const RouterCheckResult result = CheckRouter(RouterAddress::Split("192.168.1.1"), CredentialOf(c.password));
    const qint64 ms = timer.elapsed();

    EXPECT_EQ(result.passed, c.result);
    EXPECT_EQ(result.version.value_or(kUnchanged), c.version);
    // Every case ends within the check's own limits; a never-closing or dripping router must not hold it.
    EXPECT_GE(ms, c.atLeastMs);
    EXPECT_LT(ms, c.withinMs);

    const QList<QJsonObject> requests = sim.Events("status-request");
    if (!c.requestSent) {
        EXPECT_TRUE(requests.isEmpty());
        return;
    }
    ASSERT_EQ(requests.size(), 1);
    const QJsonObject request = requests.front();
    EXPECT_EQ(request.value("credential").toString(), c.password == "admin" ? "wrong-password" : "accepted");
    if (c.password != "admin") {
        // The bytes on the wire are exactly the status request, with nothing before or after.
        EXPECT_TRUE(request.value("differences").toArray().isEmpty())
            << lab::LoggedBytes(request.value("request")).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, RouterCheckLab, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RouterCheckLabTiming, UnansweredProbeEndsTheCheckAfterAboutOneSecond) {
    lab::RouterSim sim({"--start-silent", "--restart-ms", "20000"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(CheckRouter(RouterAddress::Split("192.168.1.1"), CredentialOf("rodel")).passed);
    EXPECT_GE(timer.elapsed(), 950);
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_TRUE(sim.Events("connection").isEmpty());
}

}  // namespace
}  // namespace fwu
