// Test main. Run with FWU_PRINT_VERSION_BLOCK=1 the program only prints the texts of its own version block
// and exits, so a test can patch a copy of this program and read the patched texts back from memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "package/FirmwarePackage.h"

int main(int argc, char** argv) {
    if (const char* mode = std::getenv("FWU_PRINT_VERSION_BLOCK"); mode && std::strcmp(mode, "1") == 0) {
        const fwu::FirmwareInfo info = fwu::LoadFirmwareInfo();
        std::printf("%s|%s|%s|%s|%s\n", info.fileName.c_str(), info.model.c_str(), info.releaseDate.c_str(),
                    info.utilityVersion.c_str(), info.firmwareDate.c_str());
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
