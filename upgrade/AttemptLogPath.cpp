// Where the attempt log lives on a POSIX system: under the user's XDG state folder.
#include <cstdlib>

#include "upgrade/AttemptLog.h"

namespace fwu {

std::string AttemptLogPath() {
    return AttemptLogPathFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

}  // namespace fwu
