// --cli: the whole upgrade without a window. HeadlessRun drives the window's upgrade sequence with the
// program's own router services, the one-copy rule, the process's signals and an event loop for the upload
// worker's messages.
#pragma once

#include <iosfwd>

#include "cli/CommandLine.h"

namespace fwu::cli {

// Runs one headless upgrade as `options` ask; progress and the verdict go to `out`, questions and the
// gateway discovery's messages to `err`. Creates the process's QCoreApplication, so it is called once, and
// only when no other application object exists. Answers the exit status.
int RunHeadlessUpgrade(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fwu::cli
