// Everything the program does without its window: the answers to --help, --version and --image-info, the
// refusal of a wrong command line, and the headless upgrade. main() calls it for every action but
// RunWindow, before any application object exists.
#pragma once

#include <iosfwd>

#include "cli/CommandLine.h"

namespace fwu::cli {

// Runs `command` (any action but RunWindow), writing answers to `out` and errors to `err`; returns the
// process's exit status.
int RunWithoutWindow(const CommandLine& command, std::ostream& out, std::ostream& err);

}  // namespace fwu::cli
