// The running program's own file and the atomic write, on Windows: the .exe's path from the system, and
// the replacement written beside the file and moved over it (win32/FileAccess). A Windows program has no
// run bits to set: it runs by its name.
#include "platform/EmbeddedPayload.h"

#include "platform/win32/FileAccess.h"
#include "platform/win32/WideText.h"

namespace fwu::platform {

std::filesystem::path OwnExecutablePath() {
    const std::string own = win32::OwnModulePath();
    return own.empty() ? std::filesystem::path() : std::filesystem::path(win32::ToWide(own));
}

Payload ReadOwnPayload() {
    const std::filesystem::path own = OwnExecutablePath();
    return own.empty() ? Payload{} : ReadAppendedPayload(own);
}

bool WriteFileAtomically(const std::filesystem::path& path, ByteView bytes, bool /*executable*/) {
    return win32::ReplaceWholeFile(win32::ToUtf8(path.wstring()), AsText(bytes));
}

}  // namespace fwu::platform
