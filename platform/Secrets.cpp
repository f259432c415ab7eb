#include "platform/Secrets.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cstring>

namespace fwu::platform {

bool ForbidCoreDumps() {
    const bool undumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    const struct rlimit none { 0, 0 };
    const bool noCore = ::setrlimit(RLIMIT_CORE, &none) == 0;
    return undumpable && noCore;
}

void WipeSecret(std::string& text) {
    if (!text.empty()) {
        ::explicit_bzero(text.data(), text.size());
    }
    text.clear();
}

void WipeSecret(QByteArray& bytes) {
    if (!bytes.isEmpty() && !bytes.isDetached()) {
        bytes.clear();  // shared with another copy: that copy keeps the bytes, and this one lets go
        return;
    }
    if (!bytes.isEmpty()) {
        ::explicit_bzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    }
    bytes.clear();
}

void WipeSecret(QString& text) {
    if (!text.isEmpty() && text.isDetached()) {
        ::explicit_bzero(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    }
    text.clear();
}

}  // namespace fwu::platform
