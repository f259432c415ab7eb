// The firmware upgrade utility: runs the application object, which shows the upgrade wizard.
#include "app/FirmwarePackage.h"

#include <cstdio>

int main() {
    const fwu::FirmwareInfo info = fwu::LoadFirmwareInfo();
    std::printf("%s %s\n", info.model.c_str(), info.utilityVersion.c_str());
    return 0;
}
