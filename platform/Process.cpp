// Programs started with posix_spawnp and an argument vector; never through a shell.
#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <thread>
#include <utility>

#include "platform/Deadline.h"
#include "platform/FileDescriptor.h"

extern char** environ;

namespace fwu::platform {
namespace {

// How often a bounded wait looks whether the program has ended while no output arrives.
constexpr int kWaitSliceMs = 20;
// Reads of leftover output once the program has ended (each up to 4 KiB).
constexpr int kMaxDrainReads = 256;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        pointers.push_back(const_cast<char*>(arg.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Spawn attributes shared by both ways of starting: no blocked signals and the usual default actions,
// whatever this process has set up for itself; optionally a process group of its own.
class SpawnAttributes {
public:
    explicit SpawnAttributes(bool ownGroup) {
        ::posix_spawnattr_init(&attr_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
            sigaddset(&defaults, sig);
        }
        ::posix_spawnattr_setsigmask(&attr_, &none);
        ::posix_spawnattr_setsigdefault(&attr_, &defaults);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (ownGroup) {
            ::posix_spawnattr_setpgroup(&attr_, 0);
            flags |= POSIX_SPAWN_SETPGROUP;
        }
        ::posix_spawnattr_setflags(&attr_, flags);
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attr_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attr_; }

private:
    posix_spawnattr_t attr_{};
};

class FileActions {
public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }
    void Open(int fd, const char* path, int flags) {
        ::posix_spawn_file_actions_addopen(&actions_, fd, path, flags, 0);
    }
    void Dup(int from, int to) { ::posix_spawn_file_actions_adddup2(&actions_, from, to); }

private:
    posix_spawn_file_actions_t actions_{};
};

pid_t Spawn(const std::vector<std::string>& argv, FileActions& actions, const SpawnAttributes& attributes) {
    if (argv.empty() || argv.front().empty()) {
        return -1;
    }
    std::vector<char*> pointers = ArgumentPointers(argv);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, pointers[0], actions.get(), attributes.get(), pointers.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

// Reads what is available on the pipe into the result, up to the limit; false at end of file or error.
bool ReadAvailable(int fd, RunResult& result, std::size_t limit) {
    char buffer[4096];
    const ssize_t n = ReadSome(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EAGAIN) {
        return true;
    }
    if (n <= 0) {
        return false;
    }
    const std::size_t room = limit > result.output.size() ? limit - result.output.size() : 0;
    const std::size_t take = std::min(room, static_cast<std::size_t>(n));
    result.output.append(buffer, take);
    result.outputTruncated = result.outputTruncated || take < static_cast<std::size_t>(n);
    return true;
}

void RecordExit(int status, RunResult& result) {
    result.exited = true;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

std::string FindProgram(std::string_view name, const std::vector<std::string>& extraFolders) {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string_view::npos) {
        return IsExecutableFile(std::string(name)) ? std::string(name) : std::string();
    }
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            // An empty entry would mean the current folder; a program is never taken from there.
            if (!folder.empty() && folder.front() == '/') {
                folders.emplace_back(folder);
            }
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    folders.insert(folders.end(), extraFolders.begin(), extraFolders.end());
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/" + std::string(name);
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

int StartDetached(const std::vector<std::string>& argv, const ThreadStarter& startThread) {
    FileActions actions;
    actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.Open(STDOUT_FILENO, "/dev/null", O_WRONLY);
    actions.Open(STDERR_FILENO, "/dev/null", O_WRONLY);
    const pid_t pid = Spawn(argv, actions, SpawnAttributes(false));
    if (pid < 0) {
        return -1;
    }
    // Nobody waits for the program, so a thread of its own collects its exit status.
    const auto reap = [pid] {
        int status = 0;
        RetryOnInterrupt([&] { return ::waitpid(pid, &status, 0); });
    };
    std::thread reaper;
    if (!startThread || !startThread(reaper, reap) || !reaper.joinable()) {
        // Without a reaper the program would stay a zombie: end it here and report that it did not start.
        ::kill(pid, SIGKILL);
        reap();
        return -1;
    }
    reaper.detach();
    return static_cast<int>(pid);
}

RunResult RunAndWait(const std::vector<std::string>& argv, const RunOptions& options) {
    RunResult result;
    const bool capture = options.captureOutput;
    Pipe output = capture ? OpenPipe() : Pipe{};
    if (capture && !output.read.Valid()) {
        return result;
    }
    FileActions actions;
    actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    if (capture) {
        actions.Dup(output.write.Get(), STDOUT_FILENO);
    } else {
        actions.Open(STDOUT_FILENO, "/dev/null", O_WRONLY);
    }
    actions.Open(STDERR_FILENO, "/dev/null", O_WRONLY);

    const Deadline deadline(options.timeoutMs);
    const pid_t pid = Spawn(argv, actions, SpawnAttributes(true));
    output.write.Reset();
    if (pid < 0) {
        return result;
    }
    result.started = true;

    FileDescriptor& reader = output.read;
    for (;;) {
        const int slice = std::min(deadline.RemainingMs(), kWaitSliceMs);
        if (reader.Valid()) {
            pollfd pfd{reader.Get(), POLLIN, 0};
            if (::poll(&pfd, 1, slice) > 0 && !ReadAvailable(reader.Get(), result, options.maxOutputBytes)) {
                reader.Reset();
            }
        } else {
            ::poll(nullptr, 0, slice);
        }
        int status = 0;
        const pid_t done = RetryOnInterrupt([&] { return ::waitpid(pid, &status, WNOHANG); });
        if (done == pid) {
            RecordExit(status, result);
            break;
        }
        if (done < 0) {
            break;
        }
        if (deadline.Expired()) {
            // The program and anything it started share its process group.
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            RetryOnInterrupt([&] { return ::waitpid(pid, &status, 0); });
            result.timedOut = true;
            break;
        }
    }
    // Output that was written just before the exit. Only what is already there is read, a bounded
    // number of times, so a child of the program that keeps the pipe open and writes does not hold the
    // caller up.
    for (int reads = 0; reader.Valid(); ++reads) {
        pollfd pfd{reader.Get(), POLLIN, 0};
        if (reads >= kMaxDrainReads || ::poll(&pfd, 1, 0) <= 0 ||
            !ReadAvailable(reader.Get(), result, options.maxOutputBytes)) {
            reader.Reset();
        }
    }
    return result;
}

}  // namespace fwu::platform
