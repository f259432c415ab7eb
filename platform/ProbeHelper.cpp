#include "platform/ProbeHelper.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/Deadline.h"
#include "platform/FileDescriptor.h"

namespace fwu::platform {
namespace {

// Beyond the probe's own wait: the helper's start, and the pause of its rate limit.
constexpr int kStartAllowanceMs = 500;
// How long an answered helper gets to end by itself once its input is closed.
constexpr int kEndAllowanceMs = 200;

// Waits for the child within the allowance, then kills and reaps it.
void Reap(pid_t child, int allowanceMs) {
    const Deadline deadline(allowanceMs);
    for (;;) {
        const pid_t done = RetryOnInterrupt([child] { return waitpid(child, nullptr, WNOHANG); });
        if (done == child || done < 0) {
            return;
        }
        if (deadline.Expired()) {
            break;
        }
        usleep(10'000);
    }
    kill(child, SIGKILL);
    RetryOnInterrupt([child] { return waitpid(child, nullptr, 0); });
}

pid_t Spawn(const std::string& helperPath, const std::vector<std::string>& arguments, int input, int output) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return -1;
    }
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(helperPath.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    char* noEnvironment[] = {nullptr};
    pid_t child = -1;
    const int failed = posix_spawn(&child, helperPath.c_str(), &actions, nullptr, argv.data(), noEnvironment);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? child : -1;
}

// One byte from the helper within the wait; 0 when none came.
char ReadAnswer(int fd, int waitMs) {
    const Deadline deadline(waitMs);
    pollfd ready{fd, POLLIN, 0};
    if (RetryOnInterrupt([&] { return poll(&ready, 1, deadline.RemainingMs()); }) <= 0) {
        return 0;
    }
    char answer = 0;
    return ReadSome(fd, &answer, 1) == 1 ? answer : 0;
}

}  // namespace

HelperProbe ProbeThroughHelper(const std::string& helperPath, const std::string& dottedAddress,
                               std::uint16_t identifier, int waitMs) {
    if (helperPath.empty() || access(helperPath.c_str(), X_OK) != 0) {
        return HelperProbe::Unavailable;
    }
    Pipe input = OpenPipe();
    Pipe output = OpenPipe();
    if (!input.read.Valid() || !output.read.Valid()) {
        return HelperProbe::Unavailable;
    }
    // One probe asked before the start, while this end still holds the pipe's reader: a helper that ends
    // at once can then never make the write raise SIGPIPE here. The input closes after the start, so the
    // helper answers and ends.
    const char ask = 'P';
    const bool asked = WriteAll(input.write.Get(), &ask, 1);
    const pid_t child = asked ? Spawn(helperPath, {dottedAddress, std::to_string(identifier)},
                                      input.read.Get(), output.write.Get())
                              : -1;
    input.read.Reset();
    output.write.Reset();
    if (child < 0) {
        return HelperProbe::Unavailable;
    }
    input.write.Reset();
    const char answer = ReadAnswer(output.read.Get(), waitMs + kStartAllowanceMs);
    output.read.Reset();
    Reap(child, answer == 0 ? 0 : kEndAllowanceMs);
    switch (answer) {
        case 'A':
            return HelperProbe::Answered;
        case 'S':
            return HelperProbe::Silent;
        case 'B':
            return HelperProbe::Broadcast;
        case 'U':
            return HelperProbe::NoRoute;
        default:
            return HelperProbe::Unavailable;
    }
}

}  // namespace fwu::platform
