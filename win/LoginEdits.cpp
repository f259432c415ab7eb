#include "win/LoginEdits.h"

#include <commctrl.h>

#include "win/FaceText.h"
#include "wizard/ControlNames.h"
#include "wizard/OctetKeys.h"
#include "wizard/PageTexts.h"
#include "wizard/RangeCheck.h"

namespace fwu::win {
namespace {

RECT ScaledRect(const FaceBox& box, int scale) {
    return RECT{box.x * scale, box.y * scale, (box.x + box.width) * scale, (box.y + box.height) * scale};
}

HFONT FieldFont(int pixels) {
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       CodePageText(kFieldFace).c_str());
}

// A static text that is never shown, right before the field in the window's order: what a screen reader
// names the field (the control called `objectName` on every window) by.
HWND MakeName(HWND window, std::string_view objectName) {
    const std::wstring name = CodePageText(AccessibleControlName(objectName));
    return CreateWindowExW(0, L"STATIC", name.c_str(), WS_CHILD, 0, 0, 0, 0, window, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

HWND MakeEdit(HWND window, int id, const RECT& rect, DWORD style, HFONT font, const std::string& text) {
    HWND edit = CreateWindowExW(
        0, L"EDIT", CodePageText(text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | style,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (edit != nullptr) {
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // No margins inside the field: an octet's three digits fill its 35 pixels.
        SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    }
    return edit;
}

std::pair<int, int> Selection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

void SetText(HWND edit, const std::string& text) {
    SetWindowTextW(edit, CodePageText(text).c_str());
}

}  // namespace

LoginEdits::LoginEdits(HWND window, const std::string& passwordText, const RouterAddress::Octets& octetTexts,
                       std::size_t maxPasswordBytes, int scale)
    : passwordFont(FieldFont(kPasswordFieldPixels * scale)), octetFont(FieldFont(kOctetFieldPixels * scale)) {
    names[0] = MakeName(window, kPasswordFieldObject);
    password = MakeEdit(window, kPasswordFieldId, ScaledRect(kPasswordFieldBox, scale), ES_PASSWORD,
                        passwordFont, passwordText);
    if (password != nullptr) {
        SendMessageW(password, EM_LIMITTEXT, maxPasswordBytes, 0);
        // A dot for each typed character, as the Linux window shows it (older edit controls show '*').
        SendMessageW(password, EM_SETPASSWORDCHAR, 0x25CF, 0);
    }
    for (int i = 0; i < 4; ++i) {
        names[static_cast<std::size_t>(i) + 1] = MakeName(window, OctetFieldObject(i));
        HWND field = MakeEdit(window, kFirstOctetFieldId + i, ScaledRect(OctetFieldBox(i), scale), ES_CENTER,
                              octetFont, octetTexts[static_cast<std::size_t>(i)]);
        octets[static_cast<std::size_t>(i)] = field;
        if (field != nullptr) {
            SendMessageW(field, EM_LIMITTEXT, 3, 0);
            SetWindowSubclass(field, &LoginEdits::OctetProcedure, static_cast<UINT_PTR>(i),
                              reinterpret_cast<DWORD_PTR>(this));
            lastAccepted[static_cast<std::size_t>(i)] =
                CheckRangeText(octetTexts[static_cast<std::size_t>(i)], 0, 255, -1).lastAccepted;
        }
    }
    if (password != nullptr) {
        SetFocus(password);
        // The whole text selected with the caret at its start, so the start of the password is in view.
        const LRESULT length = GetWindowTextLengthW(password);
        SendMessageW(password, EM_SETSEL, static_cast<WPARAM>(length), 0);
    }
}

LoginEdits::~LoginEdits() {
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (octets[i] != nullptr) {
            RemoveWindowSubclass(octets[i], &LoginEdits::OctetProcedure, i);
            DestroyWindow(octets[i]);
        }
    }
    if (password != nullptr) {
        DestroyWindow(password);
    }
    for (HWND name : names) {
        if (name != nullptr) {
            DestroyWindow(name);
        }
    }
    DeleteObject(passwordFont);
    DeleteObject(octetFont);
}

std::string LoginEdits::PasswordText() const {
    return password != nullptr ? ControlText(password) : std::string();
}

RouterAddress::Octets LoginEdits::OctetTexts() const {
    RouterAddress::Octets texts;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        texts[i] = octets[i] != nullptr ? ControlText(octets[i]) : std::string();
    }
    return texts;
}

void LoginEdits::OnCommand(int id, int code) {
    const int index = id - kFirstOctetFieldId;
    if (index < 0 || index > kLastOctetField || checking) {
        return;
    }
    HWND field = octets[static_cast<std::size_t>(index)];
    int& accepted = lastAccepted[static_cast<std::size_t>(index)];
    if (code == EN_CHANGE) {
        const RangeCheckResult result = CheckRangeText(ControlText(field), 0, 255, accepted);
        accepted = result.lastAccepted;
        if (result.textChanged) {
            checking = true;
            SetText(field, result.text);
            SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(result.caret), result.caret);
            checking = false;
        }
        if (result.beep) {
            MessageBeep(MB_OK);
        }
    } else if (code == EN_KILLFOCUS && GetWindowTextLengthW(field) == 0) {
        // An octet left empty reads "0" once the focus leaves it.
        SetText(field, "0");
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}

void LoginEdits::MoveTo(int field, bool selectAll) {
    HWND target = octets[static_cast<std::size_t>(field)];
    SetFocus(target);
    if (selectAll) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

LRESULT CALLBACK LoginEdits::OctetProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR index, DWORD_PTR self) {
    (void)field;
    return reinterpret_cast<LoginEdits*>(self)->OnOctetMessage(static_cast<int>(index), message, wParam,
                                                               lParam);
}

LRESULT LoginEdits::OnOctetMessage(int index, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND field = octets[static_cast<std::size_t>(index)];
    if (message == WM_CHAR && swallowChar) {
        swallowChar = false;
        return 0;
    }
    if (message != WM_KEYDOWN) {
        return DefSubclassProc(field, message, wParam, lParam);
    }
    swallowChar = false;
    const auto [selStart, selEnd] = Selection(field);
    const OctetKeyDecision decision =
        DecideOctetKey(index, static_cast<int>(wParam), selStart, selEnd, ControlText(field));
    LRESULT result = 0;
    if (decision.pass) {
        // The key belongs to this field, which still works on its own selection; its character (posted
        // already) lands here too before the next key reaches the field moved to.
        result = DefSubclassProc(field, message, wParam, lParam);
    } else {
        swallowChar = true;
    }
    if (decision.replaceText) {
        SetText(field, *decision.replaceText);
        SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(decision.replaceCaret), decision.replaceCaret);
    }
    if (decision.moveToField < 0 || decision.moveToField > kLastOctetField) {
        return result;
    }
    if (decision.backspaceIntoPrevious) {
        HWND target = octets[static_cast<std::size_t>(decision.moveToField)];
        const BackspaceInto into = BackspaceIntoField(ControlText(target));
        SetText(target, into.text);
        SetFocus(target);
        const int caret = into.caret >= 0 ? into.caret : 0;
        SendMessageW(target, EM_SETSEL, static_cast<WPARAM>(caret), caret);
        return result;
    }
    MoveTo(decision.moveToField, decision.selectAllMoved);
    return result;
}

void LoginEdits::Rescale(int scale) {
    HFONT newPasswordFont = FieldFont(kPasswordFieldPixels * scale);
    HFONT newOctetFont = FieldFont(kOctetFieldPixels * scale);
    const auto place = [](HWND field, const RECT& rect, HFONT font) {
        if (field != nullptr) {
            SetWindowPos(field, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    };
    place(password, ScaledRect(kPasswordFieldBox, scale), newPasswordFont);
    for (std::size_t i = 0; i < octets.size(); ++i) {
        place(octets[i], ScaledRect(OctetFieldBox(static_cast<int>(i)), scale), newOctetFont);
    }
    // The fields draw with the new fonts from here: the old ones can go.
    DeleteObject(passwordFont);
    DeleteObject(octetFont);
    passwordFont = newPasswordFont;
    octetFont = newOctetFont;
}

}  // namespace fwu::win
