#include "win/AboutBox.h"

#include <cstdint>
#include <vector>

// windows.h names the system's string loader LoadString; the program's own table is meant here.
#undef LoadString

#include "platform/win32/WideText.h"
#include "res/AppVersion.h"
#include "res/StringTable.h"
#include "upgrade/AttemptLog.h"
#include "wizard/AboutTexts.h"

namespace fwu::win {
namespace {

constexpr int kIconId = 150;
constexpr int kIconControlId = 1100;

// A dialog template written in memory, in dialog units: the dialog's header with its caption and font,
// then each control, every one starting on a 4-byte boundary.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short width, short height, const wchar_t* caption, short points,
                   const wchar_t* font) {
        PutLong(style);
        PutLong(0);  // extended style
        countAt = words.size();
        words.push_back(0);  // the number of controls, counted as they are added
        Put(0);              // x
        Put(0);              // y
        Put(static_cast<WORD>(width));
        Put(static_cast<WORD>(height));
        Put(0);  // no menu
        Put(0);  // the system's dialog class
        PutText(caption);
        Put(static_cast<WORD>(points));
        PutText(font);
    }

    // A control of one of the system's classes by its atom (0x0080 button, 0x0081 edit, 0x0082 static).
    void Add(WORD classAtom, DWORD style, short x, short y, short width, short height, int id,
             const wchar_t* text) {
        if (words.size() % 2 != 0) {
            words.push_back(0);
        }
        PutLong(style | WS_CHILD | WS_VISIBLE);
        PutLong(0);
        Put(static_cast<WORD>(x));
        Put(static_cast<WORD>(y));
        Put(static_cast<WORD>(width));
        Put(static_cast<WORD>(height));
        Put(static_cast<WORD>(id));
        Put(0xFFFF);
        Put(classAtom);
        PutText(text);
        Put(0);  // no creation data
        ++words[countAt];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words.data()); }

private:
    void Put(WORD word) { words.push_back(word); }
    void PutLong(DWORD value) {
        Put(LOWORD(value));
        Put(HIWORD(value));
    }
    void PutText(const wchar_t* text) {
        for (; *text != L'\0'; ++text) {
            Put(static_cast<WORD>(*text));
        }
        Put(0);
    }

    std::vector<WORD> words;  // WORD-aligned as the system reads it; a vector's storage is aligned further
    std::size_t countAt = 0;
};

INT_PTR CALLBACK AboutProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* text = reinterpret_cast<const std::wstring*>(lParam);
            SetDlgItemTextW(box, kAboutTextId, text->c_str());
            if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconId))) {
                SendDlgItemMessageW(box, kIconControlId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            }
            // Centred over the face that owns it.
            RECT owner{};
            RECT own{};
            if (GetWindowRect(GetWindow(box, GW_OWNER), &owner) && GetWindowRect(box, &own)) {
                const LONG width = own.right - own.left;
                const LONG height = own.bottom - own.top;
                SetWindowPos(box, nullptr, owner.left + (owner.right - owner.left - width) / 2,
                             owner.top + (owner.bottom - owner.top - height) / 2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            // The focus on OK, so that Enter ends the box; Tab or the mouse reach the text.
            SetFocus(GetDlgItem(box, IDOK));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(box, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(box, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::string AboutText(std::string_view title, std::string_view version, std::string_view copyright,
                      std::string_view logLine, std::string_view logPath) {
    std::string text(title);
    text.append("\r\n").append(AboutVersionLine(version));
    text.append("\r\n").append(copyright);
    text.append("\r\n").append(kAboutNote).append("\r\n\r\n");
    text.append(logLine).append(logPath);
    return text;
}

void ShowAboutBox(HWND owner) {
    const std::wstring text = platform::win32::ToWide(AboutText(
        LoadString(IDS_APP_TITLE), AppVersion(), FWU_COPYRIGHT, LoadString(IDS_ABOUT_LOG), AttemptLogPath()));
    const std::wstring caption = platform::win32::ToWide(AboutCaption(LoadString(IDS_APP_TITLE)));
    DialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 300, 100,
                          caption.c_str(), 8, L"MS Shell Dlg");
    dialog.Add(0x0082, SS_ICON, 11, 10, 21, 20, kIconControlId, L"");
    dialog.Add(0x0081, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 40,
               7, 200, 86, kAboutTextId, L"");
    dialog.Add(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, 245, 7, 48, 14, IDOK, L"OK");
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &AboutProcedure,
                            reinterpret_cast<LPARAM>(&text));
}

}  // namespace fwu::win
