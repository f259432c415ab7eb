// The simulated router's command line.
#include <gtest/gtest.h>

#include "tools/router-sim/SimOptions.h"

namespace fwu::sim {
namespace {

TEST(SimOptions, DefaultsAndEveryOption) {
    std::string error;
    const auto defaults = ParseSimOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->port, 80);
    EXPECT_EQ(defaults->address, "0.0.0.0");
    EXPECT_EQ(defaults->password, "rodel");
    EXPECT_EQ(defaults->version, "v2.00.20");
    EXPECT_EQ(defaults->fault, Fault::None);

    const auto all = ParseSimOptions(
        {"--port",     "8080",        "--address",     "192.168.1.1", "--password",      "",
         "--version",  "v2.00.30",    "--log",         "/tmp/l",      "--save-dir",      "/tmp/s",
         "--flash-ms", "0",           "--restart-ms",  "700",         "--io-timeout-ms", "2000",
         "--fault",    "never-close", "--start-silent"},
        error);
    ASSERT_TRUE(all) << error;
    EXPECT_EQ(all->port, 8080);
    EXPECT_EQ(all->password, "");
    EXPECT_EQ(all->restartMs, 700);
    EXPECT_EQ(all->fault, Fault::NeverClose);
    EXPECT_TRUE(all->startSilent);
    EXPECT_EQ(defaults->dripMs, 1000);
    const auto drip = ParseSimOptions({"--fault", "drip-nul", "--drip-ms", "250"}, error);
    ASSERT_TRUE(drip) << error;
    EXPECT_EQ(drip->dripMs, 250);

    EXPECT_EQ(defaults->restartMs, 20000);  // longer than the silence the utility needs
    EXPECT_FALSE(UploadWithoutRestart(*defaults));
    const auto upload =
        ParseSimOptions({"--upload-answer", "HTTP/1.0 400 Bad Request", "--miss-pings-ms", "2500"}, error);
    ASSERT_TRUE(upload) << error;
    EXPECT_EQ(upload->uploadAnswer, "HTTP/1.0 400 Bad Request");
    EXPECT_EQ(upload->missPingsMs, 2500);
    EXPECT_TRUE(UploadWithoutRestart(*upload));
}

TEST(SimOptions, FaultNamesRoundTrip) {
    for (const char* name : {"none", "status-1.1", "split-status", "split-marker", "no-marker", "long-page",
                             "never-close", "reset", "closed", "no-restart", "reset-upload", "blank-version",
                             "drip", "drip-nul", "keep-version", "latest-version-field", "two-versions"}) {
        const auto fault = FaultFromName(name);
        ASSERT_TRUE(fault) << name;
        EXPECT_EQ(FaultName(*fault), name);
    }
    EXPECT_FALSE(FaultFromName("Reset"));
}

TEST(SimOptions, RefusesBadInputWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "65536"},
        {"--port", "8o"},
        {"--address", "192.168.1"},
        {"--address", "1.2.3.256"},
        {"--fault", "slow"},
        {"--flash-ms", "-1"},
        {"--port"},
        {"--colour", "red"},
        {"--version", ""},
        {"--password", "a\r\nb"},
        {"--drip-ms", "0"},
        {"--upload-answer", ""},
        {"--upload-answer", "HTTP/1.0 400 Bad\r\nX: y"},
        {"--miss-pings-ms", "0"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(SimOptions, OnlyModesThatFallSilentNeedTheRouterNamespace) {
    SimOptions options;
    EXPECT_TRUE(NeedsPingSwitch(options));
    options.fault = Fault::NoRestart;
    EXPECT_FALSE(NeedsPingSwitch(options));
    options.fault = Fault::Closed;
    EXPECT_FALSE(NeedsPingSwitch(options));
    options.startSilent = true;
    EXPECT_TRUE(NeedsPingSwitch(options));

    // An answered upload without restart never falls silent; missing pings does.
    SimOptions answered;
    answered.uploadAnswer = "HTTP/1.0 400 Bad Request";
    EXPECT_FALSE(NeedsPingSwitch(answered));
    answered.missPingsMs = 1500;
    EXPECT_TRUE(NeedsPingSwitch(answered));
}

}  // namespace
}  // namespace fwu::sim
