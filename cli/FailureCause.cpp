#include "cli/FailureCause.h"

#include "cli/TerminalWords.h"

namespace fwu::cli {

std::string PrintedCause(const HeadlessVerdict& verdict) {
    if (verdict.code == ExitCode::Success) {
        return {};
    }
    if (verdict.errorStringId != 0) {
        return ErrorWords(verdict.errorStringId, verdict.causeText);
    }
    if (!verdict.causeText.empty()) {
        return verdict.causeText;  // the failed upload's cause in terminal words
    }
    switch (verdict.code) {
        case ExitCode::DowngradeDeclined:
            return "the router runs a newer firmware version and the downgrade was not confirmed; nothing "
                   "was sent to the router";
        case ExitCode::UpgradeFailed:
            // The worker's result says only that the upload did not end in a restart; the progress shown
            // last tells how far it came.
            if (!verdict.uploadStarted) {
                return "the upload could not be started: the router's web server did not accept a connection";
            }
            return "the router did not take the firmware and restart (progress stopped at " +
                   std::to_string(verdict.lastPercent) + " %)";
        default:
            return {};
    }
}

}  // namespace fwu::cli
