// Button slots at their edges, the picture sets and the sets chosen per page.
#include <gtest/gtest.h>

#include "ui/ImageButtons.h"

namespace fwu {
namespace {

struct HitCase {
    int x;
    int y;
    int slot;
};

class ButtonHitTest : public testing::TestWithParam<HitCase> {};

TEST_P(ButtonHitTest, FindsSlot) {
    const HitCase& c = GetParam();
    EXPECT_EQ(HitTestButton(c.x, c.y), c.slot) << "(" << c.x << ", " << c.y << ")";
}

INSTANTIATE_TEST_SUITE_P(SlotEdges, ButtonHitTest,
                         testing::Values(
                             // slot 1: (440, 280) 105 x 48, right and bottom exclusive
                             HitCase{440, 280, BTN_FORWARD}, HitCase{544, 327, BTN_FORWARD},
                             HitCase{439, 280, 0}, HitCase{545, 280, 0}, HitCase{440, 279, 0},
                             // the two-pixel gap between slots 1 and 2
                             HitCase{440, 328, 0}, HitCase{440, 329, 0},
                             // slot 2: (440, 330) 105 x 48
                             HitCase{440, 330, BTN_SECOND}, HitCase{544, 377, BTN_SECOND},
                             HitCase{544, 378, 0}, HitCase{545, 377, 0},
                             // slot 3: (500, 15) 45 x 45
                             HitCase{500, 15, BTN_CLOSE}, HitCase{544, 59, BTN_CLOSE}, HitCase{499, 15, 0},
                             HitCase{500, 14, 0}, HitCase{545, 59, 0}, HitCase{544, 60, 0},
                             HitCase{0, 0, 0}));

TEST(ButtonPictures, HighlightedLooksAndUnknownSets) {
    EXPECT_EQ(ButtonPictureId(3, true), 161);  // Retry
    EXPECT_EQ(ButtonPictureId(5, true), 155);  // close
    EXPECT_EQ(ButtonPictureId(6, false), ButtonPictureId(6, true));
    EXPECT_EQ(ButtonPictureId(-1, false), 0);
    EXPECT_EQ(ButtonPictureId(7, true), 0);
}

TEST(ButtonSetsForPage, TableAndUnknownPagesKeepCurrent) {
    const std::array<int, 3> current{3, 3, 3};
    EXPECT_EQ(ButtonSetsForPage(0, current), (std::array<int, 3>{0, 4, 5}));
    EXPECT_EQ(ButtonSetsForPage(1, current), (std::array<int, 3>{0, 1, 5}));
    EXPECT_EQ(ButtonSetsForPage(2, current), (std::array<int, 3>{2, 1, 5}));
    EXPECT_EQ(ButtonSetsForPage(3, current), (std::array<int, 3>{6, 3, 5}));
    EXPECT_EQ(ButtonSetsForPage(4, current), (std::array<int, 3>{6, 4, 5}));
    EXPECT_EQ(ButtonSetsForPage(5, current), current);
    EXPECT_EQ(ButtonSetsForPage(-1, current), current);
    EXPECT_EQ(kInitialButtonSets, ButtonSetsForPage(0, current));
}

}  // namespace
}  // namespace fwu
