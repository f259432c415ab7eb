// Which operating system the program runs on, for the choice of how the default gateway is looked up.
#pragma once

namespace fwu::platform {

enum class OsFamily { Windows, Other };

struct OsVersion {
    OsFamily family = OsFamily::Other;
    bool known = false;   // the version could be queried (Windows only)
    int platformId = -1;  // the Windows platform identifier (0 Win32s, 1 Windows, 2 NT)
    int major = 0;
    int minor = 0;
};

// This system's family and, on Windows, its platform identifier and version.
OsVersion QueryOsVersion();

}  // namespace fwu::platform
