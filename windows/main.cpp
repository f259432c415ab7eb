// The Windows program. A console program, so that cmd.exe and PowerShell wait for it and its exit status
// is %ERRORLEVEL%. This build has no window yet: without --cli it says so and ends.
#include <iostream>

#include "res/AppVersion.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::cerr << "firmware-upgrade-utility: this Windows build has no window yet; use --cli\n";
    return 2;
}
