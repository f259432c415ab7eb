// The per-thread CPU figures the benchmarks split a transfer by: a thread is found by its id, with the
// time its own clock gives and the wake-ups it made.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ProcessStats.h"

namespace fwu::platform {
namespace {

TEST(ProcessStats, AThreadIsFoundByIdWithItsRunTimeAndWakeUps) {
    std::atomic<long> id{0};
    std::atomic<bool> measured{false};
    std::atomic<bool> release{false};
    double ownMs = 0;
    std::thread worker([&] {
        id = static_cast<long>(syscall(SYS_gettid));
        const double start = CurrentThreadCpuMs();
        while (CurrentThreadCpuMs() - start < 30) {
        }
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // five wake-ups at least
        }
        ownMs = CurrentThreadCpuMs();
        measured = true;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (!measured) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::vector<ThreadCpu> threads = ThreadCpuTimes();
    release = true;
    worker.join();

    const auto found =
        std::find_if(threads.begin(), threads.end(), [&](const ThreadCpu& t) { return t.id == id; });
    ASSERT_NE(found, threads.end());
    EXPECT_GE(found->ms, ownMs - 0.5);
    EXPECT_LT(found->ms, ownMs + 50);
    EXPECT_GE(found->switches, 5);
    EXPECT_TRUE(
        std::any_of(threads.begin(), threads.end(), [](const ThreadCpu& t) { return t.id == getpid(); }));
}

}  // namespace
}  // namespace fwu::platform
