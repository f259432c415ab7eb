// Texts from outside (a router's answer, a version block, a version read back) made safe to print: on a
// log line or a terminal, no byte of them can break the line or start a control sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fwu {

// How a byte or character that must not be printed as it is gets written.
enum class UnprintableStyle {
    // Every byte outside printable ASCII (0x20-0x7E), and the backslash, as "\xNN" in upper-case hex: the
    // log's form, from which the original bytes can be read back.
    HexEscape,
    // Every byte outside printable ASCII as "?".
    AsciiQuestionMark,
    // Well-formed UTF-8 kept; line feed, carriage return and tab as a blank; every other control character
    // (C0, DEL, the C1 range as one byte 0x80-0x9F or in UTF-8 C2 80 - C2 9F) and every byte that is not
    // part of well-formed UTF-8 (a stray continuation, an overlong form, a surrogate, a cut end) as "?".
    Utf8QuestionMark,
};

inline constexpr std::size_t kPrintableUncut = static_cast<std::size_t>(-1);

// `text` written in `style`. When that is longer than `maxChars` bytes it is cut to at most `maxChars`
// bytes, "..." included (just "..." below 3), and a cut never splits what one byte or character became.
std::string MakePrintable(std::string_view text, UnprintableStyle style,
                          std::size_t maxChars = kPrintableUncut);

}  // namespace fwu
