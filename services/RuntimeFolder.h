// The folder of the single-instance socket: one that no other user can have made first, so no one else
// can hold this user's name and keep every run from starting. The user's runtime folder when it is the
// user's own and private (0700, nothing for group or others); else the program's folder beside its log
// (made 0700), checked the same way; else none, and the program runs without the one-copy rule.
#pragma once

#include <cstdint>
#include <string>

#include "platform/PrivateFile.h"

namespace fwu {

struct RuntimeFolderChoice {
    std::string folder;  // empty: no single-instance claim
    std::string note;    // for the log when the runtime folder was not taken; empty when it was
};

// Why the folder cannot hold the socket ("it is a symbolic link", ...); empty when it can.
std::string PrivateFolderProblem(const platform::PathFacts& facts, std::uint32_t user);

// The choice from what the two candidates are. `runtime` is XDG_RUNTIME_DIR as set (empty when unset);
// a relative one is not taken.
RuntimeFolderChoice ChooseRuntimeFolder(const std::string& runtime, const platform::PathFacts& runtimeFacts,
                                        const std::string& own, const platform::PathFacts& ownFacts,
                                        std::uint32_t user);

// The choice for this process: the environment's runtime folder, else the log's folder (made when
// missing).
RuntimeFolderChoice FindRuntimeFolder();

}  // namespace fwu
