// Where the attempt log lives on Windows: under the user's local application data folder, which the
// system's access list keeps to the user (with the system and the administrators).
#include "platform/UserFolders.h"
#include "upgrade/AttemptLog.h"

namespace fwu {

std::string AttemptLogPath() {
    const std::string folder = platform::LocalAppDataFolder();
    return folder.empty() ? std::string() : folder + "\\firmware-upgrade-utility\\upgrade.log";
}

}  // namespace fwu
