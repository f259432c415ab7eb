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

}  // namespace fwu::platform
