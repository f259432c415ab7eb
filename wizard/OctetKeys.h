// The key rules of the four octet fields of the router address: digits only, automatic advance to the
// next octet, Space or the keypad's decimal point to move on, Backspace back into the previous octet.
// A pure decision over virtual-key codes; each window applies it to its own fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fwu {

// The address has four octet fields, numbered 0 to 3 from the left.
inline constexpr int kLastOctetField = 3;

// Virtual-key codes the filter decides on (the codes of the Windows keyboard layer).
inline constexpr int VKEY_BACK = 8;
inline constexpr int VKEY_TAB = 9;
inline constexpr int VKEY_RETURN = 13;
inline constexpr int VKEY_SHIFT = 16;
inline constexpr int VKEY_CONTROL = 17;
inline constexpr int VKEY_MENU = 18;
inline constexpr int VKEY_ESCAPE = 27;
inline constexpr int VKEY_SPACE = 32;
inline constexpr int VKEY_END = 35;
inline constexpr int VKEY_HOME = 36;
inline constexpr int VKEY_LEFT = 37;
inline constexpr int VKEY_UP = 38;
inline constexpr int VKEY_RIGHT = 39;
inline constexpr int VKEY_DOWN = 40;
inline constexpr int VKEY_DELETE = 46;
inline constexpr int VKEY_0 = 48;        // "0" to "9": 48 to 57
inline constexpr int VKEY_A = 65;        // letters: 65 to 90
inline constexpr int VKEY_NUMPAD0 = 96;  // keypad digits: 96 to 105
inline constexpr int VKEY_DECIMAL = 110;
inline constexpr int VKEY_OEM_PERIOD = 190;  // the main keyboard's full stop

struct OctetKeyDecision {
    bool pass = false;                       // the key reaches the field it was typed in
    int moveToField = -1;                    // field 0..3 to give the keyboard focus, -1 none
    bool selectAllMoved = false;             // then select all of that field
    bool backspaceIntoPrevious = false;      // shorten the previous field, move there, caret at its end
    std::optional<std::string> replaceText;  // new text of the field typed in (a digit over a lone "0")
    int replaceCaret = 0;                    // caret after replaceText
};

// What a key press does in octet field `field` (0..3) whose selection runs from selStart to selEnd
// (selStart <= selEnd; both the caret position when nothing is selected) and whose text is `text`.
OctetKeyDecision DecideOctetKey(int field, int key, int selStart, int selEnd, std::string_view text);

// Backspace into a field from the one after it: the field loses its last character and the caret goes
// to where that character was (-1: the field was empty, only the selection is cleared).
struct BackspaceInto {
    std::string text;
    int caret = -1;
};
BackspaceInto BackspaceIntoField(std::string_view text);

}  // namespace fwu
