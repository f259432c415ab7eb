// The three printed forms of a text from outside, side by side, and where a cut falls.
#include <gtest/gtest.h>

#include "res/PrintableText.h"

namespace fwu {
namespace {

TEST(MakePrintable, EachStyleOnTheSameBytes) {
    struct Row {
        std::string_view text;
        std::string_view escaped, ascii, utf8;
    };
    const Row rows[] = {
        {"v2.00.22 (b)", "v2.00.22 (b)", "v2.00.22 (b)", "v2.00.22 (b)"},
        {"a\\b", "a\\x5Cb", "a\\b", "a\\b"},  // only the log escapes its own escape character
        {"\r\n\t", "\\x0D\\x0A\\x09", "???", "   "},
        {"\x1b[2J\x7f", "\\x1B[2J\\x7F", "?[2J?", "?[2J?"},
        {"\xc3\xa9t\xc3\xa9", "\\xC3\\xA9t\\xC3\\xA9", "??t??", "\xc3\xa9t\xc3\xa9"},
        {"\xc2\x9b"
         "1m\x9b",
         "\\xC2\\x9B1m\\x9B", "??1m?", "?1m?"},  // C1 CSI in UTF-8, then as one byte
        {"\xe2\x82", "\\xE2\\x82", "??", "??"},  // a character cut short
    };
    for (const Row& row : rows) {
        const std::string text(row.text);
        EXPECT_EQ(MakePrintable(row.text, UnprintableStyle::HexEscape), row.escaped) << text;
        EXPECT_EQ(MakePrintable(row.text, UnprintableStyle::AsciiQuestionMark), row.ascii) << text;
        EXPECT_EQ(MakePrintable(row.text, UnprintableStyle::Utf8QuestionMark), row.utf8) << text;
    }
}

TEST(MakePrintable, ACutNeverSplitsWhatOneByteOrCharacterBecame) {
    struct Row {
        std::string_view text;
        UnprintableStyle style;
        std::size_t maxChars;
        std::string_view shown;
    };
    const Row rows[] = {
        {"abcdef", UnprintableStyle::AsciiQuestionMark, 6, "abcdef"},  // fits exactly: no cut
        {"abcdefg", UnprintableStyle::AsciiQuestionMark, 6, "abc..."},
        {"a\x01"
         "bcdef",
         UnprintableStyle::HexEscape, 7, "a..."},  // not "a\x0..."
        {"a\x01"
         "bcdef",
         UnprintableStyle::HexEscape, 9, "a\\x01b..."},
        {"\xc3\xa9\xc3\xa9\xc3\xa9", UnprintableStyle::Utf8QuestionMark, 5, "\xc3\xa9..."},
        {"\xc3\xa9\xc3\xa9\xc3\xa9", UnprintableStyle::Utf8QuestionMark, 6, "\xc3\xa9\xc3\xa9\xc3\xa9"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MakePrintable(row.text, row.style, row.maxChars), row.shown) << row.maxChars;
    }
}

}  // namespace
}  // namespace fwu
