// Starting other programs without a shell: the program and each argument are separate texts, so nothing
// in them is ever read as shell syntax. A started program either runs by itself (and is reaped when it
// ends) or is waited for within a time limit and killed when it overruns it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace fwu::platform {

// The identifier of the running process.
int CurrentProcessId();

// The full path of a program found on PATH or in the extra folders (tried after PATH), empty when none
// is found. A name with a slash is taken as a path and only checked for being executable.
std::string FindProgram(std::string_view name, const std::vector<std::string>& extraFolders = {});

// Starts `work` on a new thread held in `thread`. False, with `thread` left as it was, when the system
// could not create one (the exception of std::thread never leaves this function).
bool StartThread(std::thread& thread, std::function<void()> work);

// How a caller starts its threads; StartThread unless a test wants thread creation to fail.
using ThreadStarter = std::function<bool(std::thread& thread, std::function<void()> work)>;

// Starts argv[0] (looked up on PATH) with the arguments that follow, standard input and output on the
// null device, and does not wait for it. A reaper thread collects its exit so no zombie stays behind;
// when no reaper thread can be started, the program is killed and collected at once.
// Returns the process identifier, or -1 when it could not be started (or had to be killed).
int StartDetached(const std::vector<std::string>& argv, const ThreadStarter& startThread = StartThread);

struct RunOptions {
    int timeoutMs = 30000;                   // the longest the caller waits; the program is killed after it
    bool captureOutput = false;              // when set, standard output is collected
    std::size_t maxOutputBytes = 64 * 1024;  // collected output beyond this is read and dropped
};

struct RunResult {
    bool started = false;   // the program was found and started
    bool exited = false;    // it ended by itself within the time limit
    bool timedOut = false;  // it overran the limit and was killed
    int exitCode = -1;      // its exit status when it exited normally, else -1
    std::string output;     // collected standard output (at most maxOutputBytes)
    bool outputTruncated = false;
};

// Starts argv[0] (looked up on PATH) in a process group of its own and waits for it within the time
// limit; on time-out the whole group is killed and the program reaped before this returns.
RunResult RunAndWait(const std::vector<std::string>& argv, const RunOptions& options);

}  // namespace fwu::platform
