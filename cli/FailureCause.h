// The cause a headless run prints with its verdict: one function turns what the run learned into the
// text, so the whole wording of failures lives in one place.
#pragma once

#include <string>

#include "cli/ExitCode.h"

namespace fwu::cli {

// How a headless run ended, as its front end saw it.
struct HeadlessVerdict {
    ExitCode code = ExitCode::UpgradeFailed;
    int errorStringId = 0;  // the string-table id of the error the run ended with, 0 for none
    int lastPercent = 0;    // the percent shown when a failed upload ended
    bool uploadStarted = false;
    std::string causeText;  // the failed upload's or check's cause in terminal words
};

// The text printed after the verdict: the sequence's own message where it showed one, otherwise what is
// known of the failed upload; empty for a success.
std::string PrintedCause(const HeadlessVerdict& verdict);

}  // namespace fwu::cli
