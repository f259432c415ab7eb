// The label line layout with a fixed-width measure: 10 px a character, 12 px bold.
#include <gtest/gtest.h>

#include "wizard/LabelLayout.h"

namespace fwu {
namespace {

int Measure(std::string_view text, bool bold) {
    return static_cast<int>(text.size()) * (bold ? 12 : 10);
}

std::vector<std::string> LineTexts(const LabelLayout& layout) {
    std::vector<std::string> lines;
    for (const LabelLine& line : layout.lines) {
        std::string text;
        for (const LabelRun& run : line.runs) {
            text += run.text;
        }
        lines.push_back(text);
    }
    return lines;
}

struct WrapCase {
    const char* name;
    const char* text;
    int width;
    bool bold;
    std::vector<std::string> lines;
};

class LabelWrap : public testing::TestWithParam<WrapCase> {};

TEST_P(LabelWrap, BuildsLines) {
    const WrapCase& c = GetParam();
    const LabelLayout layout = LayoutLabelText(c.text, c.width, 15, c.bold, Measure);
    EXPECT_EQ(LineTexts(layout), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelWrap,
    testing::Values(
        WrapCase{"NoSpaceFits", "ZPR8800N", 100, false, {"ZPR8800N"}},
        WrapCase{"NoSpaceTooWideStandsAlone", "ABCDEFGHIJKL", 50, false, {"ABCDEFGHIJKL"}},
        WrapCase{"OverlongWordInTheMiddle", "ab ABCDEFGHIJ cd", 50, false, {"ab ", "ABCDEFGHIJ ", "cd"}},
        WrapCase{"WrapsAtSpaceKeepingIt", "aaa bbb ccc", 75, false, {"aaa ", "bbb ccc"}},
        WrapCase{"TrailingSpaceCounts", "aaa bbb", 70, false, {"aaa bbb"}},
        WrapCase{"OnePixelShort", "aaa bbb", 69, false, {"aaa ", "bbb"}},
        WrapCase{"BoldMeasuresWider", "aaa bbb", 70, true, {"aaa ", "bbb"}},
        WrapCase{"NewlineWithoutSpace", "ab\ncd", 100, false, {"ab", "cd"}},
        WrapCase{"NewlineAfterSpace", "ab cd\nef gh", 100, false, {"ab cd", "ef gh"}},
        WrapCase{"NewlineBeforeSpace", "ab\ncd ef", 100, false, {"ab", "cd ef"}},
        WrapCase{"LeadingNewlineGivesEmptyLine", "\nab", 100, false, {"", "ab"}},
        WrapCase{"ZeroWidthStillEnds", "a b", 0, false, {"a ", "b"}}, WrapCase{"Empty", "", 100, false, {}}),
    [](const testing::TestParamInfo<WrapCase>& info) { return info.param.name; });

TEST(LabelLayout, LinesAreFontHeightPlusTwoApart) {
    const LabelLayout layout = LayoutLabelText("a\nb\nc", 100, 14, false, Measure);
    ASSERT_EQ(layout.lines.size(), 3u);
    EXPECT_EQ(layout.lines[0].y, 0);
    EXPECT_EQ(layout.lines[1].y, 16);
    EXPECT_EQ(layout.lines[2].y, 32);
}

struct RunCase {
    const char* name;
    const char* text;
    bool bold;
    std::vector<LabelRun> runs;  // of the first line
    bool boldAfter;
};

class LabelRuns : public testing::TestWithParam<RunCase> {};

TEST_P(LabelRuns, PlusSwitchesWeight) {
    const RunCase& c = GetParam();
    const LabelLayout layout = LayoutLabelText(c.text, 500, 15, c.bold, Measure);
    ASSERT_FALSE(layout.lines.empty());
    const std::vector<LabelRun>& runs = layout.lines.front().runs;
    ASSERT_EQ(runs.size(), c.runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].text, c.runs[i].text) << i;
        EXPECT_EQ(runs[i].bold, c.runs[i].bold) << i;
        EXPECT_EQ(runs[i].x, c.runs[i].x) << i;
    }
    EXPECT_EQ(layout.boldAfter, c.boldAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelRuns,
    testing::Values(
        RunCase{"NoPlus", "abc", false, {{"abc", false, 0}}, false},
        RunCase{"SinglePlusMakesRestBold", "ab+cd", false, {{"ab", false, 0}, {"cd", true, 20}}, true},
        RunCase{"SecondPlusBackToNormal",
                "a+bb+c",
                false,
                {{"a", false, 0}, {"bb", true, 10}, {"c", false, 34}},
                false},
        RunCase{"BoldLabelSecondPlusGoesNormal",
                "a+b+c",
                true,
                {{"a", true, 0}, {"b", true, 12}, {"c", false, 24}},
                false},
        RunCase{"ThirdPlusBoldAgain",
                "a+b+c+d",
                false,
                {{"a", false, 0}, {"b", true, 10}, {"c", false, 22}, {"d", true, 32}},
                true},
        RunCase{"PlusAtEnd", "ab+", false, {{"ab", false, 0}}, true}),
    [](const testing::TestParamInfo<RunCase>& info) { return info.param.name; });

TEST(LabelLayout, WeightCarriesIntoNextLine) {
    // The first line ends bold, so the second starts bold and is measured bold: "cc dd" no longer fits.
    const LabelLayout layout = LayoutLabelText("a+b\ncc dd", 55, 15, false, Measure);
    ASSERT_EQ(LineTexts(layout), (std::vector<std::string>{"ab", "cc ", "dd"}));
    EXPECT_TRUE(layout.lines[1].runs[0].bold);
    EXPECT_TRUE(layout.boldAfter);
}

TEST(LabelLayout, PlusCountsRestartOnEachLine) {
    const LabelLayout layout = LayoutLabelText("a+b\nc+d", 500, 15, false, Measure);
    ASSERT_EQ(layout.lines.size(), 2u);
    // Line two starts bold (carried) and its first "+" sets bold again rather than switching it off.
    ASSERT_EQ(layout.lines[1].runs.size(), 2u);
    EXPECT_TRUE(layout.lines[1].runs[0].bold);
    EXPECT_TRUE(layout.lines[1].runs[1].bold);
}

// A label painted again and again: each paint starts from the weight the last one left, so the runs of a
// text depend on what the label showed before, and a setter's weight holds until a "+" changes it.
TEST(LabelLayout, PaintKeepsTheWeightTheTextEndsIn) {
    const struct {
        const char* text;
        bool firstRunBold;  // of this paint
        bool boldAfter;
    } paints[] = {
        {"plain", false, false}, {"ab+cd", false, true},  // a "+" makes the label bold
        {"plain", true, true},                            // and the next text starts bold
        {"a+b+c", true, false},                           // the second "+" ends bold for good
        {"plain", false, false}, {"", false, false},      // an empty text changes nothing
    };
    bool bold = false;
    for (const auto& p : paints) {
        const LabelLayout layout = LayoutLabelPaint(p.text, 500, 15, bold, Measure);
        if (!layout.lines.empty()) {
            EXPECT_EQ(layout.lines.front().runs.front().bold, p.firstRunBold) << p.text;
        }
        EXPECT_EQ(bold, p.boldAfter) << p.text;
    }
}

// Every character half the font height wide: "unknown (no answer)" is 19 characters.
TEST(LabelLayout, FittingFontPixelsShrinksUntilTheTextLiesWhole) {
    const MeasureTextAt halfHeight = [](std::string_view text, bool, int pixels) {
        return static_cast<int>(text.size()) * pixels / 2;
    };
    const struct {
        const char* text;
        int width, height;
        int expected;
    } cases[] = {
        {"short", 160, 17, 15},                        // fits at the label's size
        {"unknown (no answer)", 160, 17, 15},          // 19 * 15 / 2 = 142: still the label's size
        {"unknown (no answer in time)", 160, 17, 11},  // one line: 27 * 11 / 2 = 148
        {"unknown (no answer in time)", 100, 22, 10},  // two lines of 10 fit 22 pixels
        {"unknown (no answer in time)", 60, 17, 10},   // nothing fits: the smallest
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FittingFontPixels(c.text, c.width, c.height, 15, 10, true, halfHeight), c.expected)
            << c.text;
    }
}

}  // namespace
}  // namespace fwu
