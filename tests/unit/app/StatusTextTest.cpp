// The status line's printf-style formatting with one integer, bounded to its buffer, and the percent.
#include <gtest/gtest.h>

#include "app/StatusText.h"
#include "res/StringTable.h"

namespace fwu {
namespace {

TEST(StatusText, FormatsTheOneInteger) {
    struct Row {
        const char* format;
        int argument;
        const char* text;
    };
    const Row rows[] = {
        {"Writing %d", 7, "Writing 7"},
        {"%i left", -3, "-3 left"},
        {"%u", -1, "4294967295"},
        {"0x%x/%X", 255, "0xff/FF"},
        {"%d%c", 37, "37%"},  // %c takes the same integer: 37 is the percent sign
        {"100%%", 0, "100%"},
        {"%s stays", 1, "%s stays"},  // not ours to interpret, and never reads a pointer
        {"%5d", 1, "%5d"},
        {"trailing %", 1, "trailing %"},
        {"cut%c here", 0, "cut"},
        {"twice %d and %d", 2, "twice 2 and 2"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatWithInt(row.format, row.argument), row.text) << row.format;
    }
}

TEST(StatusText, StaysWithinItsBuffer) {
    EXPECT_EQ(FormatWithInt(std::string(400, 'a'), 0).size(), kStatusTextCapacity - 1);
    const std::string nearlyFull(kStatusTextCapacity - 3, 'b');
    EXPECT_EQ(FormatWithInt(nearlyFull + "%d", 123456), nearlyFull + "12");
}

TEST(StatusText, TableEntriesAndPercent) {
    EXPECT_EQ(FormatStatusText(IDS_WRITING_FLASH, 0), "Writing to the Flash... please wait a moment...");
    EXPECT_EQ(FormatStatusText(4242, 1), "");
    EXPECT_EQ(FormatPercentText(37), "37%");
    EXPECT_EQ(FormatPercentText(0), "0%");
    EXPECT_EQ(FormatPercentText(101), "101%");
}

}  // namespace
}  // namespace fwu
