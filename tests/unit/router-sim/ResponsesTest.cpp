// The status page in each fault mode: what a client reading it receives, and how it is cut into sends.
#include <gtest/gtest.h>

#include "tools/router-sim/Responses.h"

namespace fwu::sim {
namespace {

constexpr std::string_view kField = "Firmware Version:v2.00.20,";

TEST(StatusPage, NormalPageCarriesStatusAndMarkedVersionAndCloses) {
    const Answer answer = StatusPage(Fault::None, "v2.00.20");
    ASSERT_EQ(answer.sends.size(), 1u);
    EXPECT_FALSE(answer.keepOpen);
    EXPECT_TRUE(Joined(answer).starts_with("HTTP/1.0 200 Ok\r\n"));
    EXPECT_NE(Joined(answer).find(kField), std::string::npos);
}

TEST(StatusPage, FaultModesShapeThePage) {
    const std::string normal = Joined(StatusPage(Fault::None, "v2.00.20"));

    const std::string v11 = Joined(StatusPage(Fault::Status11, "v2.00.20"));
    EXPECT_TRUE(v11.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(v11.find("HTTP/1.0 200 Ok"), std::string::npos);

    const Answer splitStatus = StatusPage(Fault::SplitStatus, "v2.00.20");
    ASSERT_EQ(splitStatus.sends.size(), 2u);
    EXPECT_TRUE(std::string_view("HTTP/1.0 200 Ok").starts_with(splitStatus.sends[0].bytes));
    EXPECT_LT(splitStatus.sends[0].bytes.size(), 15u);
    EXPECT_GT(splitStatus.sends[1].pauseBeforeMs, 0);
    EXPECT_EQ(Joined(splitStatus), normal);

    const Answer splitMarker = StatusPage(Fault::SplitMarker, "v2.00.20");
    ASSERT_EQ(splitMarker.sends.size(), 2u);
    EXPECT_TRUE(splitMarker.sends[0].bytes.ends_with("Firmware Version:v2.00.20"));
    EXPECT_TRUE(splitMarker.sends[1].bytes.starts_with(","));
    EXPECT_EQ(Joined(splitMarker), normal);

    EXPECT_EQ(Joined(StatusPage(Fault::NoMarker, "v2.00.20")).find("Firmware Version:"), std::string::npos);

    const std::string longPage = Joined(StatusPage(Fault::LongPage, "v2.00.20"));
    EXPECT_GT(longPage.find(kField), 4096u);

    EXPECT_NE(Joined(StatusPage(Fault::BlankVersion, "v2.00.20")).find("Firmware Version: v2.00.20,"),
              std::string::npos);

    // The hostile pages: another version named before the real field, and after it.
    const std::string latest = Joined(StatusPage(Fault::LatestVersionField, "v2.00.20"));
    EXPECT_LT(latest.find("<tr><td>Latest Firmware Version:v9.99.99,"), latest.find(kField));
    const std::string two = Joined(StatusPage(Fault::TwoVersions, "v2.00.20"));
    EXPECT_GT(two.find("<tr><td>Firmware Version:v9.99.99,"), two.find(kField));
    EXPECT_NE(two.find(kField), std::string::npos);

    EXPECT_TRUE(StatusPage(Fault::NeverClose, "v2.00.20").keepOpen);
    EXPECT_EQ(Joined(StatusPage(Fault::NeverClose, "v2.00.20")), normal);
}

TEST(StatusPage, DripModesSendTheHeadThenOneByteAtATime) {
    const std::string normal = Joined(StatusPage(Fault::None, "v2.00.20"));
    const std::size_t headSize = normal.find("\r\n\r\n") + 4;
    for (const Fault fault : {Fault::Drip, Fault::DripNul}) {
        const Answer drip = StatusPage(fault, "v2.00.20", 250);
        ASSERT_EQ(drip.sends.size(), 1 + normal.size() - headSize);
        EXPECT_EQ(drip.sends[0].bytes, normal.substr(0, headSize));
        EXPECT_FALSE(drip.keepOpen);
        std::string page;
        for (std::size_t i = 1; i < drip.sends.size(); ++i) {
            ASSERT_EQ(drip.sends[i].bytes.size(), 1u);
            EXPECT_EQ(drip.sends[i].pauseBeforeMs, 250);
            page += drip.sends[i].bytes;
        }
        EXPECT_EQ(page, fault == Fault::Drip ? normal.substr(headSize) : std::string(page.size(), '\0'));
    }
}

TEST(StatusPage, ShowsTheVersionItIsGiven) {
    EXPECT_NE(Joined(StatusPage(Fault::None, "v2.00.22")).find("Firmware Version:v2.00.22,"),
              std::string::npos);
}

TEST(ErrorAnswer, RefusalHasAnotherStatusLine) {
    EXPECT_TRUE(Joined(ErrorAnswer(401)).starts_with("HTTP/1.0 401 Unauthorized\r\n"));
    EXPECT_EQ(Joined(ErrorAnswer(401)).find("200 Ok"), std::string::npos);
}

}  // namespace
}  // namespace fwu::sim
