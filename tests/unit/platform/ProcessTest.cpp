// Starting programs without a shell: bounded waits, killing on time-out, bounded output, and no zombie
// left behind by a detached start. Uses only small system programs (true, echo, sleep, head, sh).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Process.h"

namespace fwu::platform {
namespace {

using namespace std::chrono_literals;

// The state letter of /proc/<pid>/stat ('Z' for a zombie), or 0 when the process is gone.
char ProcessState(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return 0;
    }
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() ? line[close + 2] : 0;
}

// Children of this process, in any state or only in the given one ("Z" for zombies).
std::vector<int> Children(const std::string& inState = {}) {
    std::vector<int> zombies;
    const std::string self = std::to_string(CurrentProcessId());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string state, parent;
        rest >> state >> parent;
        if ((inState.empty() || state == inState) && parent == self) {
            zombies.push_back(std::stoi(name));
        }
    }
    return zombies;
}

std::vector<int> ZombieChildren() {
    return Children("Z");
}

TEST(RunAndWait, CapturesOutputAndExitCode) {
    RunOptions options;
    options.timeoutMs = 5000;
    options.captureOutput = true;
    const RunResult echo = RunAndWait({"echo", "a;b", "$HOME", "|", "c"}, options);
    ASSERT_TRUE(echo.started);
    EXPECT_TRUE(echo.exited);
    EXPECT_FALSE(echo.timedOut);
    EXPECT_EQ(echo.exitCode, 0);
    EXPECT_EQ(echo.output, "a;b $HOME | c\n");  // arguments reach the program as they are

    const RunResult failing = RunAndWait({"false"}, options);
    EXPECT_TRUE(failing.exited);
    EXPECT_EQ(failing.exitCode, 1);

    const RunResult missing = RunAndWait({"no-such-program-fwu"}, options);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(RunAndWait({}, options).started);
}

TEST(RunAndWait, OutputIsBounded) {
    RunOptions options;
    options.captureOutput = true;
    options.maxOutputBytes = 1000;
    const RunResult r = RunAndWait({"head", "-c", "200000", "/dev/zero"}, options);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.output.size(), 1000u);
    EXPECT_TRUE(r.outputTruncated);
}

TEST(RunAndWait, OverrunningProgramAndItsChildrenAreKilled) {
    RunOptions options;
    options.timeoutMs = 300;
    options.captureOutput = true;
    const auto start = std::chrono::steady_clock::now();
    // The shell prints the process id of a child it leaves running, then waits for it.
    const RunResult r = RunAndWait({"sh", "-c", "sleep 30 & echo $!; wait"}, options);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.exited);
    EXPECT_GE(elapsed, 290ms);
    EXPECT_LT(elapsed, 3s);
    EXPECT_TRUE(ZombieChildren().empty());

    const int grandchild = std::atoi(r.output.c_str());
    ASSERT_GT(grandchild, 0) << r.output;
    // Killed with its group: gone, or at most a zombie awaiting its new parent.
    for (int i = 0; i < 100 && ProcessState(grandchild) != 0 && ProcessState(grandchild) != 'Z'; ++i) {
        std::this_thread::sleep_for(20ms);
    }
    const char state = ProcessState(grandchild);
    EXPECT_TRUE(state == 0 || state == 'Z') << state;
}

TEST(StartDetached, DoesNotWaitAndLeavesNoZombie) {
    const auto start = std::chrono::steady_clock::now();
    const int pid = StartDetached({"sleep", "0.2"});
    ASSERT_GT(pid, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 150ms);

    // Once the program has ended it must have been reaped, not left as a zombie of ours.
    for (int i = 0; i < 250 && ProcessState(pid) != 0; ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(ProcessState(pid), 0) << "still present as state " << ProcessState(pid);
    EXPECT_TRUE(ZombieChildren().empty());

    EXPECT_EQ(StartDetached({"no-such-program-fwu"}), -1);
}

TEST(StartDetached, WithoutAReaperThreadEndsTheProgramAndReportsFailure) {
    // A starter that cannot create a thread, and one that says it did but left no thread behind.
    const ThreadStarter starters[] = {
        [](std::thread&, const std::function<void()>&) { return false; },
        [](std::thread&, const std::function<void()>&) { return true; },
    };
    for (const ThreadStarter& starter : starters) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(StartDetached({"sleep", "30"}, starter), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_TRUE(Children().empty()) << "the program was neither ended nor collected";
    }
    // The real starter: a thread is made and the program runs.
    std::thread thread;
    EXPECT_TRUE(StartThread(thread, [] {}));
    ASSERT_TRUE(thread.joinable());
    thread.join();
}

}  // namespace
}  // namespace fwu::platform
