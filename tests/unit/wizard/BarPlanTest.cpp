// The bar's plan per progress message: the strips to paint on growth, the area to wipe on a shrink and the
// new count.
#include <gtest/gtest.h>

#include "wizard/ProgressStrips.h"

namespace fwu {
namespace {

struct PlanCase {
    const char* name;
    int drawnCount;
    int shownPercent;
    int percent;
    FaceBox wipe;
    int firstStrip;
    int lastStrip;
    int newCount;
};

class BarPlanTest : public testing::TestWithParam<PlanCase> {};

TEST_P(BarPlanTest, Plans) {
    const PlanCase& c = GetParam();
    const BarPlan plan = PlanBarAdvance(c.drawnCount, c.shownPercent, c.percent, 28);
    EXPECT_EQ(plan.wipe, c.wipe);
    EXPECT_EQ(plan.firstStrip, c.firstStrip);
    EXPECT_EQ(plan.lastStrip, c.lastStrip);
    EXPECT_EQ(plan.drawnCount, c.newCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BarPlanTest,
    testing::Values(
        PlanCase{"FirstMessageDrawsStripOne", 1, 0, 1, FaceBox(), 1, 1, 1},
        PlanCase{"JumpDrawsOnlyTheNewStrips", 10, 10, 12, FaceBox(), 11, 12, 12},
        PlanCase{"SamePercentDrawsNothing", 50, 50, 50, FaceBox(), 0, 0, 50},
        PlanCase{"UpToTheLastStrip", 99, 99, 100, FaceBox(), 100, 100, 100},
        PlanCase{"FullBackToOneWipes", 100, 100, 1, FaceBoxFromEdges(57, 312, 360, 343), 0, 0, 1},
        PlanCase{"StartOverWithoutMessageWipes", 100, 0, 1, FaceBoxFromEdges(57, 312, 360, 343), 0, 0, 1},
        PlanCase{"ZeroWipesDownToOne", 37, 37, 0, FaceBoxFromEdges(57, 312, 171, 343), 0, 0, 1},
        PlanCase{"ShrinkToMiddle", 80, 80, 30, FaceBoxFromEdges(57, 312, 300, 343), 0, 0, 30},
        PlanCase{"StartOverThenAboveTheCountDrawsAll", 37, 0, 40, FaceBox(), 1, 40, 40},
        PlanCase{"PercentAboveTheCountWipesToIt", 0, 37, 0, FaceBoxFromEdges(57, 312, 171, 343), 0, 0, 1},
        PlanCase{"ZeroWithNothingCountedDoesNothing", 0, 0, 0, FaceBox(), 0, 0, 0}),
    [](const testing::TestParamInfo<PlanCase>& info) { return info.param.name; });

TEST(BarPlan, WipeBottomFollowsStripHeight) {
    EXPECT_EQ(PlanBarAdvance(10, 10, 2, 20).wipe, FaceBoxFromEdges(57, 312, 90, 335));
}

TEST(StripsBox, CoversStrips) {
    EXPECT_EQ(StripsBox(1, 1, 3, 28), (FaceBox{60, 312, 3, 28}));
    EXPECT_EQ(StripsBox(10, 12, 3, 28), (FaceBox{87, 312, 9, 28}));
    EXPECT_EQ(StripsBox(1, 100, 3, 28), FaceBoxFromEdges(60, 312, 360, 340));
}

}  // namespace
}  // namespace fwu
