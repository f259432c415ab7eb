// The program's exit status after an upgrade run, one rule for the window and the command line: a run
// that ended after a failed upgrade, or after one the router's restart disproved, exits 1; a run whose
// last upgrade stands (confirmed, or not watched to the end) or that tried none exits 0.
#pragma once

#include <optional>

#include "upgrade/ConfirmationWatch.h"

namespace fwu {

// How the last upgrade of a run ended, as far as the run saw it.
enum class LastUpgrade {
    None,       // no upgrade was started
    Failed,     // the transfer or the flash wait failed, or the user stopped it
    Done,       // counted as done and not disproved
    Disproved,  // counted as done, then the router came back with another version or not at all
};

// True for the watch's ends that show the upgrade did not take.
bool Disproves(ConfirmationState state);

// What the watch's end (none: it was stopped or never ended) makes of an upgrade counted as done.
LastUpgrade AfterWatch(std::optional<ConfirmationState> end);

// 0 or 1, as above.
int RunExitStatus(LastUpgrade last);

}  // namespace fwu
