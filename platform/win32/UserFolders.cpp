#include "platform/UserFolders.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/win32/WideText.h"

namespace fwu::platform {

std::string LocalAppDataFolder() {
    PWSTR folder = nullptr;
    // The table, not the variable: a changed or missing LOCALAPPDATA in the environment does not move it.
    const HRESULT result =
        ::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder);
    std::string path;
    if (SUCCEEDED(result) && folder != nullptr) {
        path = win32::ToUtf8(folder);
    }
    ::CoTaskMemFree(folder);
    return path;
}

}  // namespace fwu::platform
