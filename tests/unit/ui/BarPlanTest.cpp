// The bar's plan per progress message: which strips to draw, what to wipe, the new count and the percent
// shown (clamped).
#include <gtest/gtest.h>

#include "ui/ProgressDisplay.h"

namespace fwu {
namespace {

struct PlanCase {
    const char* name;
    int drawnCount;
    int percent;
    QRect wipe;
    int firstStrip;
    int lastStrip;
    int newCount;
    int shown;
};

class BarPlanTest : public testing::TestWithParam<PlanCase> {};

TEST_P(BarPlanTest, Plans) {
    const PlanCase& c = GetParam();
    const BarPlan plan = PlanBarAdvance(c.drawnCount, c.percent, 28);
    EXPECT_EQ(plan.wipe, c.wipe);
    EXPECT_EQ(plan.firstStrip, c.firstStrip);
    EXPECT_EQ(plan.lastStrip, c.lastStrip);
    EXPECT_EQ(plan.drawnCount, c.newCount);
    EXPECT_EQ(plan.percent, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BarPlanTest,
    testing::Values(PlanCase{"FirstMessageDrawsStripOne", 1, 1, QRect(), 1, 1, 1, 1},
                    PlanCase{"JumpRedrawsLastAndNew", 10, 12, QRect(), 10, 12, 12, 12},
                    PlanCase{"SamePercentRedrawsLast", 50, 50, QRect(), 50, 50, 50, 50},
                    PlanCase{"FullBackToOneWipes", 100, 1, FaceRect(57, 312, 360, 343), 1, 1, 1, 1},
                    PlanCase{"ZeroWipesDownToOne", 37, 0, FaceRect(57, 312, 171, 343), 1, 1, 1, 0},
                    PlanCase{"ShrinkToMiddle", 80, 30, FaceRect(57, 312, 300, 343), 1, 30, 30, 30},
                    PlanCase{"AboveHundredClamps", 99, 101, QRect(), 99, 100, 100, 100},
                    PlanCase{"ZeroWithNothingCountedDoesNothing", 0, 0, QRect(), 0, 0, 0, 0},
                    PlanCase{"NegativeCountsAsOverHundred", 40, -1, QRect(), 40, 100, 100, 100}),
    [](const testing::TestParamInfo<PlanCase>& info) { return info.param.name; });

TEST(BarPlan, WipeBottomFollowsStripHeight) {
    EXPECT_EQ(PlanBarAdvance(10, 2, 20).wipe, FaceRect(57, 312, 90, 335));
}

TEST(StripsRect, CoversStrips) {
    EXPECT_EQ(StripsRect(1, 1, 3, 28), QRect(60, 312, 3, 28));
    EXPECT_EQ(StripsRect(10, 12, 3, 28), QRect(87, 312, 9, 28));
    EXPECT_EQ(StripsRect(1, 100, 3, 28), FaceRect(60, 312, 360, 340));
}

}  // namespace
}  // namespace fwu
