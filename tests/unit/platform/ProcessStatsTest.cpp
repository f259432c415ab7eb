// The per-thread CPU figures the benchmarks split a transfer by: each thread is found by its id, with the
// time it ran and its wake-ups, and a thread that works is told apart from one that sleeps.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/ProcessStats.h"

namespace fwu::platform {
namespace {

ThreadCpu Find(long id) {
    const std::vector<ThreadCpu> threads = ThreadCpuTimes();
    const auto found =
        std::find_if(threads.begin(), threads.end(), [id](const ThreadCpu& t) { return t.id == id; });
    return found != threads.end() ? *found : ThreadCpu{-1, -1, -1};
}

double OwnCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

TEST(ProcessStats, ThreadsAreFoundByIdWithTheTimeTheyRanAndTheirWakeUps) {
    std::atomic<long> workerId{0};
    std::atomic<bool> measured{false};
    double workerOwnMs = 0;
    std::thread worker([&] {
        workerId = static_cast<long>(syscall(SYS_gettid));
        const double start = OwnCpuMs();
        while (OwnCpuMs() - start < 30) {
        }
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // five wake-ups at least
        }
        workerOwnMs = OwnCpuMs();
        measured = true;
        while (measured) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (!measured) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const ThreadCpu busy = Find(workerId);
    const ThreadCpu main = Find(getpid());
    measured = false;
    worker.join();

    EXPECT_EQ(busy.id, workerId.load());
    EXPECT_GE(busy.ms, workerOwnMs - 0.5);  // its own clock, read just before
    EXPECT_LT(busy.ms, workerOwnMs + 50);
    EXPECT_GE(busy.switches, 5);
    EXPECT_EQ(main.id, getpid());
    EXPECT_GE(main.ms, 0);
}

}  // namespace
}  // namespace fwu::platform
