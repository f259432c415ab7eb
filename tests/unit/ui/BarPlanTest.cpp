// The bar's plan per progress message: which strips to draw, what to wipe, the new count and the clamp.
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
    bool clamp;
};

class BarPlanTest : public testing::TestWithParam<PlanCase> {};

TEST_P(BarPlanTest, Plans) {
    const PlanCase& c = GetParam();
    const BarPlan plan = PlanBarAdvance(c.drawnCount, c.percent, 28);
    EXPECT_EQ(plan.wipe, c.wipe);
    EXPECT_EQ(plan.firstStrip, c.firstStrip);
    EXPECT_EQ(plan.lastStrip, c.lastStrip);
    EXPECT_EQ(plan.drawnCount, c.newCount);
    EXPECT_EQ(plan.clampPercent, c.clamp);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BarPlanTest,
    testing::Values(PlanCase{"FirstMessageDrawsStripOne", 1, 1, QRect(), 1, 1, 1, false},
                    PlanCase{"JumpRedrawsLastAndNew", 10, 12, QRect(), 10, 12, 12, false},
                    PlanCase{"SamePercentRedrawsLast", 50, 50, QRect(), 50, 50, 50, false},
                    PlanCase{"FullBackToOneWipes", 100, 1, FaceRect(57, 312, 360, 343), 1, 1, 1, false},
                    PlanCase{"ZeroWipesDownToOne", 37, 0, FaceRect(57, 312, 171, 343), 1, 1, 1, false},
                    PlanCase{"ShrinkToMiddle", 80, 30, FaceRect(57, 312, 300, 343), 1, 30, 30, false},
                    PlanCase{"AboveHundredClamps", 99, 101, QRect(), 99, 100, 100, true},
                    PlanCase{"ZeroWithNothingCountedDoesNothing", 0, 0, QRect(), 0, 0, 0, false}),
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
