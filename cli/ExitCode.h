// The program's exit status, one value per outcome, the same for the window and the command line.
#pragma once

namespace fwu::cli {

enum class ExitCode : int {
    Success = 0,               // upgraded; also --help, --version and an intact image for --image-info
    UpgradeFailed = 1,         // the transfer or the flash wait failed
    Usage = 2,                 // the command line is wrong, or asks for what this build cannot do
    RouterCheckFailed = 3,     // no router answered, or it refused the password
    DowngradeDeclined = 4,     // the router runs a newer version and nobody said yes
    ImageDamaged = 5,          // the carried image is missing or does not match its digest
    AlreadyRunning = 6,        // another copy of the program runs for this user
    StoppedByInterrupt = 130,  // the command line was stopped by Ctrl-C (SIGINT), as shells count it
    StoppedByTerminate = 143,  // the command line was stopped by SIGTERM or SIGHUP (a dropped connection)
};

constexpr int ToInt(ExitCode code) {
    return static_cast<int>(code);
}

}  // namespace fwu::cli
