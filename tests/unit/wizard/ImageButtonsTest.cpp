// Button slots at their edges, the picture sets, the sets chosen per page and the slot each Alt+letter
// presses.
#include <gtest/gtest.h>

#include <ostream>

#include "wizard/ButtonStates.h"

namespace fwu {

// A slot in a failure message by the name the window's design gives it.
void PrintTo(FaceSlot slot, std::ostream* out) {
    constexpr const char* kNames[] = {"None", "BTN_FORWARD", "BTN_SECOND", "BTN_CLOSE"};
    *out << kNames[static_cast<int>(slot)];
}

namespace {

struct HitCase {
    int x;
    int y;
    FaceSlot slot;
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
                             HitCase{439, 280, FaceSlot::None}, HitCase{545, 280, FaceSlot::None},
                             HitCase{440, 279, FaceSlot::None},
                             // the two-pixel gap between slots 1 and 2
                             HitCase{440, 328, FaceSlot::None}, HitCase{440, 329, FaceSlot::None},
                             // slot 2: (440, 330) 105 x 48
                             HitCase{440, 330, BTN_SECOND}, HitCase{544, 377, BTN_SECOND},
                             HitCase{544, 378, FaceSlot::None}, HitCase{545, 377, FaceSlot::None},
                             // slot 3: (500, 15) 45 x 45
                             HitCase{500, 15, BTN_CLOSE}, HitCase{544, 59, BTN_CLOSE},
                             HitCase{499, 15, FaceSlot::None}, HitCase{500, 14, FaceSlot::None},
                             HitCase{545, 59, FaceSlot::None}, HitCase{544, 60, FaceSlot::None},
                             HitCase{0, 0, FaceSlot::None}));

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

TEST(SlotForAccelerator, LetterPressesTheSlotShowingItsButton) {
    struct Case {
        std::array<int, 3> sets;
        char letter;
        FaceSlot slot;
    };
    const Case cases[] = {
        {{0, 4, 5}, 'N', BTN_FORWARD},      // welcome: Next
        {{0, 4, 5}, 'x', BTN_SECOND},       // Exit, not the close cross, when Exit is shown
        {{0, 4, 5}, 'B', FaceSlot::None},   // no Back on the welcome page
        {{0, 1, 5}, 'b', BTN_SECOND},       // login: Back
        {{0, 1, 5}, 'X', BTN_CLOSE},        // no Exit shown: the close cross, its twin
        {{2, 1, 5}, 'U', BTN_FORWARD},      // verify: Upgrade
        {{2, 1, 5}, 'N', FaceSlot::None},   // Upgrade stands where Next was
        {{6, 3, 5}, 'R', BTN_SECOND},       // progress: Retry
        {{6, 3, 5}, 'N', FaceSlot::None},   // the blank plate answers no letter
        {{6, 4, 6}, 'X', BTN_SECOND},       // Exit without a close cross
        {{0, 1, 6}, 'X', FaceSlot::None},   // neither Exit nor the close cross shown
        {{0, 4, 5}, 'Q', FaceSlot::None},   // a letter no button takes
        {{-1, 9, 5}, 'N', FaceSlot::None},  // sets outside the pictures' range
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlotForAccelerator(c.letter, c.sets), c.slot)
            << c.letter << " with sets " << c.sets[0] << " " << c.sets[1] << " " << c.sets[2];
    }
}

}  // namespace
}  // namespace fwu
