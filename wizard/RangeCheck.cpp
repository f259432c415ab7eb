// The numeric field's range check.
#include "wizard/RangeCheck.h"

#include <algorithm>
#include <climits>

namespace fwu {
namespace {

constexpr std::string_view kDigits = "0123456789";

// The value of a text of digits, saturated above INT_MAX so that long texts stay out of range.
long long DigitsValue(std::string_view digits) {
    long long value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) {
            return static_cast<long long>(INT_MAX) + 1;
        }
    }
    return value;
}

}  // namespace

RangeCheckResult CheckRangeText(std::string_view text, int minimum, int maximum, int lastAccepted) {
    RangeCheckResult result;
    result.lastAccepted = lastAccepted;

    // Only the leading digits count, so no sign, dot or letter stays in a numeric field.
    std::string digits(text.substr(0, std::min(text.find_first_not_of(kDigits), text.size())));
    if (digits.size() > 1) {
        const std::size_t firstNonZero = digits.find_first_of("123456789");
        if (firstNonZero == std::string::npos) {
            digits = "0";
        } else if (firstNonZero > 0) {
            digits.erase(0, firstNonZero);
        }
    }
    result.caret = 0;

    if (digits.empty()) {
        result.lastAccepted = -1;
    } else {
        const long long value = DigitsValue(digits);
        if (value < minimum || value > maximum) {
            digits = lastAccepted < 0 ? std::string() : std::to_string(lastAccepted);
            result.caret = static_cast<int>(digits.size());
            result.beep = true;
        } else {
            result.lastAccepted = static_cast<int>(value);
        }
    }
    result.textChanged = digits != text;
    result.text = std::move(digits);
    return result;
}

}  // namespace fwu
