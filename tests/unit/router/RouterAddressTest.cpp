// The router address: the split of a dotted address into octet texts and the join back.
#include <gtest/gtest.h>

#include "router/RouterAddress.h"

namespace fwu {
namespace {

using Octets = RouterAddress::Octets;

struct SplitCase {
    const char* name;
    const char* dotted;
    Octets octets;
    const char* joined;
};

class SplitAddressTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddressTest, SplitsAndJoins) {
    const RouterAddress address = RouterAddress::Split(GetParam().dotted);
    EXPECT_EQ(address.OctetTexts(), GetParam().octets);
    EXPECT_EQ(address.Dotted(), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitAddressTest,
    testing::Values(SplitCase{"ThreeDots", "192.168.1.1", {"192", "168", "1", "1"}, "192.168.1.1"},
                    SplitCase{"FourDotsLastTakesRest", "10.1.2.3.4", {"10", "1", "2", "3.4"}, "10.1.2.3.4"},
                    SplitCase{"TwoDotsLeaveTheRestEmpty", "192.168.1", {"192", "168", "", ""}, "192.168.."},
                    SplitCase{"NoDot", "router", {"", "", "", ""}, "..."},
                    SplitCase{"Empty", "", {"", "", "", ""}, "..."},
                    SplitCase{"EmptyParts", "...", {"", "", "", ""}, "..."}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(RouterAddress, FieldsJoinWithEmptyOctetsAsZero) {
    EXPECT_EQ(RouterAddress::FromFields({"10", "0", "0", "1"}).Dotted(), "10.0.0.1");
    const RouterAddress typed = RouterAddress::FromFields({"192", "", "1", ""});
    EXPECT_EQ(typed.OctetTexts(), (Octets{"192", "0", "1", "0"}));
    EXPECT_EQ(typed.Dotted(), "192.0.1.0");
    EXPECT_FALSE(typed.Empty());
    EXPECT_TRUE(RouterAddress().Empty());
    EXPECT_EQ(RouterAddress::Split(typed.Dotted()), typed);  // what is shown splits back to the same
}

}  // namespace
}  // namespace fwu
