// The cause a headless run prints with its verdict: one function turns what the run learned into the
// text, so the whole wording of failures lives in one place.
#pragma once

#include <string>

#include "cli/ExitCode.h"

namespace fwu::cli {

// How a headless run ended, as its front end saw it.
struct HeadlessVerdict {
    ExitCode code = ExitCode::UpgradeFailed;
    int errorStringId = 0;      // the string-table id of the error the sequence showed, 0 for none
    unsigned workerResult = 0;  // the upload worker's result: 1 restarted, 0 failed (when it ran)
    int lastPercent = 0;        // the percent shown when a failed upload ended
    bool uploadStarted = false;
    std::string causeText;  // what the sequence said of a failed upload or check, as the window shows it
};

// The text printed after the verdict: the sequence's own message where it showed one, otherwise what is
// known of the failed upload; empty for a success.
std::string PrintedCause(const HeadlessVerdict& verdict);

}  // namespace fwu::cli
