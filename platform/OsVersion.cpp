// The OS family query of this build: not Windows, so no version numbers apply.
#include "platform/OsVersion.h"

namespace fwu::platform {

OsVersion QueryOsVersion() {
    return OsVersion{OsFamily::Other, true, -1, 0, 0};
}

}  // namespace fwu::platform
