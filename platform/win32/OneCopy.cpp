#include "platform/OneCopy.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace fwu::platform {

OneCopyPerSession::OneCopyPerSession(const std::string& name) {
    if (name.empty() || name.find('\\') != std::string::npos) {
        failure = "the name \"" + name + "\" cannot name a mutex";
        return;
    }
    const HANDLE handle = ::CreateMutexW(nullptr, TRUE, win32::ToWide("Local\\" + name).c_str());
    const DWORD error = ::GetLastError();
    if (handle == nullptr) {
        failure = "no mutex could be made (error " + std::to_string(error) + ")";
        return;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(handle);
        status = OneCopyStatus::AlreadyRunning;
        return;
    }
    mutex = handle;
    status = OneCopyStatus::First;
}

OneCopyPerSession::~OneCopyPerSession() {
    if (mutex != nullptr) {
        ::ReleaseMutex(static_cast<HANDLE>(mutex));
        ::CloseHandle(static_cast<HANDLE>(mutex));
    }
}

}  // namespace fwu::platform
