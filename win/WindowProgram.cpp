#include "win/WindowProgram.h"

#include <objbase.h>
#include <windows.h>

#include <array>

// windows.h names the system's string loader LoadString; the program's own table is meant here.
#undef LoadString

#include "platform/win32/WideText.h"
#include "res/StringTable.h"
#include "services/OneCopyClaim.h"
#include "services/SystemServices.h"
#include "win/FaceWindow.h"

namespace fwu::win {
namespace {

// Brings the first copy's window to the front and shows it (a minimised window is shown, not restored).
void ShowFirstCopy(const std::wstring& title) {
    if (HWND first = FindWindowW(kFaceWindowClass, title.c_str())) {
        SetForegroundWindow(first);
        ShowWindow(first, SW_SHOW);
    }
}

}  // namespace

void LeaveOwnConsole() {
    std::array<DWORD, 2> processes{};
    if (GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) == 1) {
        FreeConsole();
    }
}

int RunWindowProgram() {
    const std::wstring title = platform::win32::ToWide(LoadString(IDS_APP_TITLE));
    OneCopyClaim claim;
    if (!claim.Claim()) {
        ShowFirstCopy(title);
        return 0;
    }
    // The imaging component's decoder runs in this thread's apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 1;
    {
        SystemUpgradeServices services;
        FaceWindow face(services);
        if (face.Create(GetModuleHandleW(nullptr), title.c_str())) {
            ShowWindow(face.Handle(), SW_SHOW);
            UpdateWindow(face.Handle());
            status = face.RunMessages();
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}

}  // namespace fwu::win
