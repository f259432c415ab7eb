// The range check of a numeric field, run on every change of its text: digits only, no leading zeros,
// and a number outside the range puts back the last accepted value. Pure, so it is tested without a field.
#pragma once

#include <string>
#include <string_view>

namespace fwu {

struct RangeCheckResult {
    std::string text;  // what the field must hold now
    bool textChanged = false;
    int caret = 0;          // caret position when textChanged
    int lastAccepted = -1;  // -1 while the field is empty
    bool beep = false;      // the change was refused
};

// `text` is the field's new text. The text is cut at its first character that is not a digit, leading
// zeros are dropped ("0" stays for all zeros) with the caret put at 0; an empty text clears the last
// accepted value; a number outside minimum..maximum is replaced by the last accepted value (or nothing)
// with the caret at its end and a beep; a number inside becomes the last accepted value.
RangeCheckResult CheckRangeText(std::string_view text, int minimum, int maximum, int lastAccepted);

}  // namespace fwu
