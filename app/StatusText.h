// The texts of the progress page that carry a number: the status line (a string-table format with one
// integer) and the percent figure.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fwu {

// Room for a formatted status line, terminating NUL included.
inline constexpr std::size_t kStatusTextCapacity = 260;

// Formats `format` printf-style with the one integer `argument`: %d and %i write it signed, %u unsigned,
// %x and %X in hex, %c as a character and %% a percent sign. Flags and widths are not taken; any other
// conversion is copied as written, and a second conversion of the integer writes it again. The result
// holds at most kStatusTextCapacity - 1 bytes; the rest is cut off.
std::string FormatWithInt(std::string_view format, int argument);

// The string-table entry `stringId` formatted with `argument`; empty for an unknown id.
std::string FormatStatusText(int stringId, int argument);

// The percent figure: the number followed by '%' ("37%"); values outside 0..100 appear as they are.
std::string FormatPercentText(int percent);

}  // namespace fwu
