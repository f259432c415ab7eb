// Secrets on Windows: no crash dump of this process is offered or written by the system's error
// reporting, and buffers are wiped with SecureZeroMemory, which the compiler never leaves out.
#include "platform/Secrets.h"

#include <windows.h>

namespace fwu::platform {

bool ForbidCoreDumps() {
    // No fault dialog (which would offer to collect a dump) for this process and what it starts.
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return true;
}

void WipeSecret(std::string& text) {
    if (!text.empty()) {
        ::SecureZeroMemory(text.data(), text.size());
    }
    text.clear();
}

}  // namespace fwu::platform
