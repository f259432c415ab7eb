// The numeric field's range check over typed and pasted texts.
#include <gtest/gtest.h>

#include "wizard/RangeCheck.h"

namespace fwu {
namespace {

struct RangeCase {
    const char* name;
    const char* text;
    int minimum;
    int lastAccepted;
    const char* expectText;
    int expectCaret;  // -1: the text is left as it is
    int expectLast;
    bool expectBeep;
};

class RangeCheck : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeCheck, Decides) {
    const RangeCase& c = GetParam();
    const RangeCheckResult r = CheckRangeText(c.text, c.minimum, 255, c.lastAccepted);
    EXPECT_EQ(r.text, c.expectText);
    EXPECT_EQ(r.textChanged, c.expectCaret >= 0);
    if (c.expectCaret >= 0) {
        EXPECT_EQ(r.caret, c.expectCaret);
    }
    EXPECT_EQ(r.lastAccepted, c.expectLast);
    EXPECT_EQ(r.beep, c.expectBeep);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeCheck,
    testing::Values(RangeCase{"InRange", "192", 0, 0, "192", -1, 192, false},
                    RangeCase{"Maximum", "255", 0, 25, "255", -1, 255, false},
                    RangeCase{"AboveBackToLast", "256", 0, 25, "25", 2, 25, true},
                    RangeCase{"AboveWhileEmptyGivesEmpty", "256", 0, -1, "", 0, -1, true},
                    RangeCase{"EmptyForgetsLast", "", 0, 12, "", -1, -1, false},
                    RangeCase{"LeadingZerosDropped", "007", 0, 0, "7", 0, 7, false},
                    RangeCase{"AllZerosLeaveOne", "000", 0, 5, "0", 0, 0, false},
                    RangeCase{"LoneZeroStays", "0", 0, 5, "0", -1, 0, false},
                    RangeCase{"ZerosThenTooBig", "0300", 0, 30, "30", 2, 30, true},
                    RangeCase{"CutAtLetter", "12ab", 0, 1, "12", 0, 12, false},
                    RangeCase{"LetterFirstLeavesNothing", "ab12", 0, 1, "", 0, -1, false},
                    RangeCase{"NoSign", "-5", 0, 1, "", 0, -1, false},
                    RangeCase{"NoDot", "1.2", 0, 1, "1", 0, 1, false},
                    RangeCase{"NoLeadingBlank", " 7", 0, 1, "", 0, -1, false},
                    RangeCase{"HugeNumber", "99999999999999999999", 0, 9, "9", 1, 9, true},
                    RangeCase{"BelowMinimum", "5", 10, 12, "12", 2, 12, true}),
    [](const testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace fwu
