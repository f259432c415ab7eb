// Splitting the router address into octet texts and joining them back.
#include <gtest/gtest.h>

#include "ui/LoginFields.h"

namespace fwu {
namespace {

using Octets = std::array<std::string, 4>;

struct SplitCase {
    const char* name;
    const char* address;
    Octets expect;  // starting from {"a", "b", "c", "d"}
};

class SplitAddressTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddressTest, FillsOctets) {
    Octets octets{"a", "b", "c", "d"};
    SplitAddress(GetParam().address, octets);
    EXPECT_EQ(octets, GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitAddressTest,
    testing::Values(SplitCase{"ThreeDots", "192.168.1.1", {"192", "168", "1", "1"}},
                    SplitCase{"FourDotsLastTakesRest", "10.1.2.3.4", {"10", "1", "2", "3.4"}},
                    SplitCase{"TwoDotsKeepThirdEmptyFourth", "192.168.1", {"192", "168", "c", ""}},
                    SplitCase{"NoDotOnlyFourthEmptied", "router", {"a", "b", "c", ""}},
                    SplitCase{"Empty", "", {"a", "b", "c", ""}},
                    SplitCase{"EmptyParts", "..", {"", "", "c", ""}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(FormatAddress, JoinsOctets) {
    const LoginValues values = FormatAddress("rodel", {"10", "0", "0", "1"});
    EXPECT_EQ(values.routerAddress, "10.0.0.1");
    EXPECT_EQ(values.password, "rodel");
    EXPECT_EQ(values.octetText, (Octets{"10", "0", "0", "1"}));
}

TEST(FormatAddress, EmptyOctetReadsZero) {
    const LoginValues values = FormatAddress("", {"192", "", "1", ""});
    EXPECT_EQ(values.routerAddress, "192.0.1.0");
    EXPECT_EQ(values.octetText, (Octets{"192", "0", "1", "0"}));
    EXPECT_EQ(values.password, "");
}

}  // namespace
}  // namespace fwu
