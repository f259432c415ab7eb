// The octet fields' key decision table over virtual-key codes.
#include "wizard/OctetKeys.h"

namespace fwu {
namespace {

bool IsDigitKey(int key) {
    return (key >= VKEY_0 && key <= VKEY_0 + 9) || (key >= VKEY_NUMPAD0 && key <= VKEY_NUMPAD0 + 9);
}

OctetKeyDecision Pass() {
    OctetKeyDecision decision;
    decision.pass = true;
    return decision;
}

OctetKeyDecision Swallow() {
    return {};
}

// Digits: advance once the octet is complete, no zero in front of digits, a digit typed after a lone
// zero replaces it.
OctetKeyDecision DecideDigit(int field, int key, int s, int e, std::string_view text) {
    const int n = static_cast<int>(text.size());
    if (field < kLastOctetField && ((s == 2 && (n == 2 || e == 3)) || (s == 3 && e == 3))) {
        // The digit still lands in this field; the keys after it go to the next one.
        OctetKeyDecision decision = Pass();
        decision.moveToField = field + 1;
        decision.selectAllMoved = true;
        return decision;
    }
    const int digit = key & 0x0F;
    if (digit == 0) {
        return text == "0" || (n > 0 && s == 0) ? Swallow() : Pass();
    }
    if (text == "0" && s > 0) {
        OctetKeyDecision decision;
        decision.replaceText = std::to_string(digit);
        decision.replaceCaret = 1;
        return decision;
    }
    return Pass();
}

}  // namespace

OctetKeyDecision DecideOctetKey(int field, int key, int selStart, int selEnd, std::string_view text) {
    const int n = static_cast<int>(text.size());
    const bool first = field == 0;
    const bool last = field == kLastOctetField;

    if (IsDigitKey(key)) {
        return DecideDigit(field, key, selStart, selEnd, text);
    }
    switch (key) {
        case VKEY_BACK:
            if (!first && selStart == 0 && selEnd == 0) {
                OctetKeyDecision decision;
                decision.backspaceIntoPrevious = true;
                decision.moveToField = field - 1;
                return decision;
            }
            return Pass();
        case VKEY_TAB:
        case VKEY_DELETE:
            return Pass();
        case VKEY_SHIFT:
            return first ? Pass() : Swallow();
        case VKEY_LEFT: {
            OctetKeyDecision decision = Pass();
            if (!first && selStart == 0) {
                decision.moveToField = field - 1;
            }
            return decision;
        }
        case VKEY_RIGHT: {
            OctetKeyDecision decision = Pass();
            if (!last && selStart == n) {
                decision.moveToField = field + 1;
            }
            return decision;
        }
        case VKEY_SPACE:
        case VKEY_DECIMAL: {
            OctetKeyDecision decision;
            if (!last && selStart == selEnd && n > 0) {
                decision.moveToField = field + 1;
                decision.selectAllMoved = true;
            }
            return decision;
        }
        default:
            return Swallow();
    }
}

BackspaceInto BackspaceIntoField(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int m = static_cast<int>(text.size());
    return {std::string(text.substr(0, text.size() - 1)), m - 1};
}

}  // namespace fwu
