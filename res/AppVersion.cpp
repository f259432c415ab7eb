#include "res/AppVersion.h"

// Set by res/CMakeLists.txt from the project's version.
#ifndef FWU_APP_VERSION
#error "FWU_APP_VERSION must be defined by the build"
#endif

namespace fwu {

std::string_view AppVersion() {
    return FWU_APP_VERSION;
}

}  // namespace fwu
