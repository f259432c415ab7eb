// The octet key decision: every row of the key table and the digit rule, per kind of field.
#include <gtest/gtest.h>

#include "wizard/OctetKeys.h"

namespace fwu {
namespace {

struct KeyCase {
    const char* name;
    int field;
    int key;
    int s;
    int e;
    const char* text;
    bool pass;
    int move;  // -1 none
    bool selectAll = false;
    bool backspace = false;
    const char* replace = nullptr;
};

class OctetKey : public testing::TestWithParam<KeyCase> {};

TEST_P(OctetKey, Decides) {
    const KeyCase& c = GetParam();
    const OctetKeyDecision d = DecideOctetKey(c.field, c.key, c.s, c.e, c.text);
    EXPECT_EQ(d.pass, c.pass);
    EXPECT_EQ(d.moveToField, c.move);
    EXPECT_EQ(d.selectAllMoved, c.selectAll);
    EXPECT_EQ(d.backspaceIntoPrevious, c.backspace);
    if (c.replace != nullptr) {
        ASSERT_TRUE(d.replaceText.has_value());
        EXPECT_EQ(*d.replaceText, c.replace);
        EXPECT_EQ(d.replaceCaret, 1);
    } else {
        EXPECT_FALSE(d.replaceText.has_value());
    }
}

constexpr int kDigit(int d) {
    return VKEY_0 + d;
}
constexpr int kPad(int d) {
    return VKEY_NUMPAD0 + d;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OctetKey,
    testing::Values(
        // Backspace: back into the previous field only from the very start of fields 2 to 4.
        KeyCase{"BackField1AtStart", 0, VKEY_BACK, 0, 0, "19", true, -1},
        KeyCase{"BackField3AtStart", 2, VKEY_BACK, 0, 0, "1", false, 1, false, true},
        KeyCase{"BackField4AtStart", 3, VKEY_BACK, 0, 0, "", false, 2, false, true},
        KeyCase{"BackField2Selection", 1, VKEY_BACK, 0, 2, "16", true, -1},
        KeyCase{"BackField2Inside", 1, VKEY_BACK, 1, 1, "16", true, -1},
        KeyCase{"TabPasses", 2, VKEY_TAB, 0, 0, "1", true, -1},
        KeyCase{"DeletePasses", 3, VKEY_DELETE, 0, 0, "1", true, -1},
        KeyCase{"ShiftField1Passes", 0, VKEY_SHIFT, 0, 0, "", true, -1},
        KeyCase{"ShiftField2Swallowed", 1, VKEY_SHIFT, 0, 0, "", false, -1},
        // Arrows: across the field boundaries.
        KeyCase{"LeftField1AtStart", 0, VKEY_LEFT, 0, 0, "1", true, -1},
        KeyCase{"LeftField2AtStart", 1, VKEY_LEFT, 0, 0, "1", true, 0},
        KeyCase{"LeftField4AtStart", 3, VKEY_LEFT, 0, 1, "1", true, 2},
        KeyCase{"LeftField2Inside", 1, VKEY_LEFT, 1, 1, "12", true, -1},
        KeyCase{"RightField1AtEnd", 0, VKEY_RIGHT, 3, 3, "192", true, 1},
        KeyCase{"RightField3AtEnd", 2, VKEY_RIGHT, 1, 1, "1", true, 3},
        KeyCase{"RightField1Inside", 0, VKEY_RIGHT, 1, 1, "19", true, -1},
        KeyCase{"RightField4AtEnd", 3, VKEY_RIGHT, 1, 1, "1", true, -1},
        // Space and the keypad's decimal point: on to the next field, never typed.
        KeyCase{"SpaceMovesOn", 0, VKEY_SPACE, 3, 3, "192", false, 1, true},
        KeyCase{"DecimalMovesOn", 2, VKEY_DECIMAL, 1, 1, "1", false, 3, true},
        KeyCase{"SpaceEmptyStays", 1, VKEY_SPACE, 0, 0, "", false, -1},
        KeyCase{"SpaceWithSelectionStays", 1, VKEY_SPACE, 0, 2, "16", false, -1},
        KeyCase{"SpaceField4Stays", 3, VKEY_SPACE, 1, 1, "1", false, -1},
        // Keys the table does not list.
        KeyCase{"EnterSwallowed", 0, VKEY_RETURN, 0, 0, "1", false, -1},
        KeyCase{"LetterSwallowed", 0, VKEY_A, 0, 0, "", false, -1},
        KeyCase{"MainFullStopSwallowed", 0, VKEY_OEM_PERIOD, 1, 1, "1", false, -1},
        // Digit rule, step 1: advance once two or three digits are in place.
        KeyCase{"ThirdDigitAdvances", 0, kDigit(2), 2, 2, "19", true, 1, true},
        KeyCase{"LastDigitSelectedAdvances", 1, kDigit(5), 2, 3, "192", true, 2, true},
        KeyCase{"AtEndOfThreeAdvances", 2, kDigit(5), 3, 3, "192", true, 3, true},
        KeyCase{"Field4NeverAdvances", 3, kDigit(2), 2, 2, "19", true, -1},
        KeyCase{"InsideThreeNoAdvance", 0, kDigit(5), 2, 2, "192", true, -1},
        KeyCase{"KeypadDigitAdvances", 0, kPad(2), 2, 2, "19", true, 1, true},
        // Step 2: zeros.
        KeyCase{"ZeroIntoLoneZero", 0, kDigit(0), 1, 1, "0", false, -1},
        KeyCase{"KeypadZeroInFrontOfDigits", 1, kPad(0), 0, 0, "12", false, -1},
        KeyCase{"ZeroAfterDigit", 1, kDigit(0), 1, 1, "1", true, -1},
        KeyCase{"ZeroIntoEmpty", 1, kDigit(0), 0, 0, "", true, -1},
        // Step 3: a digit after a lone zero replaces it.
        KeyCase{"DigitReplacesLoneZero", 0, kDigit(7), 1, 1, "0", false, -1, false, false, "7"},
        KeyCase{"KeypadDigitReplacesLoneZero", 3, kPad(9), 1, 1, "0", false, -1, false, false, "9"},
        KeyCase{"DigitBeforeLoneZeroPasses", 0, kDigit(7), 0, 0, "0", true, -1},
        KeyCase{"DigitPasses", 0, kDigit(1), 0, 0, "", true, -1}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST(BackspaceIntoField, DropsLastCharacter) {
    const BackspaceInto shortened = BackspaceIntoField("168");
    EXPECT_EQ(shortened.text, "16");
    EXPECT_EQ(shortened.caret, 2);
    const BackspaceInto empty = BackspaceIntoField("");
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.caret, -1);
}

}  // namespace
}  // namespace fwu
