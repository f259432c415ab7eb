// The login page's fields on Windows: the password field and the four octet fields of the router address
// as edit controls over the face, the octet fields subclassed to follow the octet key rules (digits only,
// advance to the next octet, Space or the keypad's decimal point to move on, Backspace back into the
// previous octet) and the range 0..255. The face's own captions are pictures, so each field is named for
// screen readers by a hidden static text just before it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "router/RouterAddress.h"

namespace fwu::win {

// Control ids: the password field, then the octet fields from the left.
inline constexpr int kPasswordFieldId = 1010;
inline constexpr int kFirstOctetFieldId = 1011;

class LoginEdits {
public:
    // Makes the fields on `window` filled with `password` and the octets, the password's whole text
    // selected with the keyboard focus there; places and fonts at the face's `scale`.
    LoginEdits(HWND window, const std::string& password, const RouterAddress::Octets& octets,
               std::size_t maxPasswordBytes, int scale = 1);
    ~LoginEdits();
    LoginEdits(const LoginEdits&) = delete;
    LoginEdits& operator=(const LoginEdits&) = delete;

    std::string PasswordText() const;
    RouterAddress::Octets OctetTexts() const;
    HWND PasswordField() const { return password; }

    // The window's WM_COMMAND from a field: the range check on a change, "0" in an octet left empty.
    void OnCommand(int id, int code);

    // Moves the fields to their places at the face's `scale` and gives them fonts of its size (the window
    // moved to a display of another scale); their texts, selections and the focus stay.
    void Rescale(int scale);

private:
    static LRESULT CALLBACK OctetProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR index, DWORD_PTR self);
    LRESULT OnOctetMessage(int field, UINT message, WPARAM wParam, LPARAM lParam);
    void MoveTo(int field, bool selectAll);

    HFONT passwordFont = nullptr;
    HFONT octetFont = nullptr;
    HWND password = nullptr;
    std::array<HWND, 4> octets{};
    std::array<HWND, 5> names{};  // hidden static texts naming the fields for screen readers
    std::array<int, 4> lastAccepted{-1, -1, -1, -1};
    bool swallowChar = false;  // the WM_CHAR of a key the rules refused
    bool checking = false;     // the range check sets the text itself
};

}  // namespace fwu::win
