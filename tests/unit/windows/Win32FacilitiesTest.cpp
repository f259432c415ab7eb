// The Win32 side of the platform layer where it holds state or talks to the system: the attempt log's
// files, the sleep lock's holder thread, the one-copy mutex, bounded child processes and the pause timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/OneCopy.h"
#include "platform/PrivateFile.h"
#include "platform/Process.h"
#include "platform/Sleep.h"
#include "platform/SleepLock.h"
#include "platform/UserFolders.h"
#include "platform/win32/WideText.h"

namespace {

namespace fs = std::filesystem;
using namespace fwu::platform;

fs::path FreshFolder(const char* name) {
    const fs::path folder =
        fs::temp_directory_path() / ("fwu-win32-test-" + std::to_string(::GetCurrentProcessId())) / name;
    fs::remove_all(folder);
    return folder;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(OwnFile, AppendsMakesFoldersAndRefusesWhatIsNoFile) {
    const fs::path folder = FreshFolder("append") / "deeper" / "still";
    const std::string path = (folder / "upgrade.log").string();
    const OwnFileAppend first = AppendToOwnFile(path, "one\n", true);
    ASSERT_EQ(first.status, OwnFileStatus::Written) << first.reason;
    EXPECT_EQ(first.size, 4);
    const OwnFileAppend second = AppendToOwnFile(path, "two\n", true);
    ASSERT_EQ(second.status, OwnFileStatus::Written) << second.reason;
    EXPECT_EQ(second.size, 8);
    EXPECT_EQ(ReadAll(path), "one\ntwo\n");

    fs::create_directories(folder / "taken.log");
    const OwnFileAppend onFolder = AppendToOwnFile((folder / "taken.log").string(), "x", true);
    EXPECT_NE(onFolder.status, OwnFileStatus::Written);
    EXPECT_TRUE(fs::is_directory(folder / "taken.log"));
}

TEST(OwnFile, RewriteKeepsTheChosenTailWhole) {
    const fs::path folder = FreshFolder("rewrite");
    const std::string path = (folder / "upgrade.log").string();
    ASSERT_EQ(AppendToOwnFile(path, "line 1\nline 2\nline 3\n", true).status, OwnFileStatus::Written);
    std::string seen;
    ASSERT_TRUE(RewriteOwnFileTail(path, 10, [&](std::string_view tail) {
        seen = std::string(tail);
        return tail.substr(tail.find('\n') + 1);  // from the first whole line
    }));
    EXPECT_EQ(seen, " 2\nline 3\n");  // the last 10 bytes
    EXPECT_EQ(ReadAll(path), "line 3\n");
    EXPECT_FALSE(
        RewriteOwnFileTail((folder / "missing.log").string(), 10, [](std::string_view t) { return t; }));
    int left = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++left;
    }
    EXPECT_EQ(left, 1) << "no temporary file stays behind";
}

TEST(LocalAppDataFolder, IsTheTablesAbsoluteFolderWhateverTheEnvironmentSays) {
    const std::string folder = LocalAppDataFolder();
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", L"D:\\elsewhere");
    EXPECT_EQ(LocalAppDataFolder(), folder);
}

TEST(SleepLockOnWindows, HeldUntilReleasedOnceAndMovable) {
    SleepLockTaken taken = TakeSleepLock({});
    ASSERT_TRUE(taken.lock.Held()) << taken.failure;
    SleepLockTaken second = TakeSleepLock({});
    ASSERT_TRUE(second.lock.Held()) << second.failure;
    SleepLock moved = std::move(taken.lock);
    EXPECT_FALSE(taken.lock.Held());
    EXPECT_TRUE(moved.Held());
    moved = std::move(second.lock);  // releases the first, takes over the second
    EXPECT_TRUE(moved.Held());
    moved.Release();
    moved.Release();
    EXPECT_FALSE(moved.Held());
}

TEST(OneCopyOnWindows, SecondHolderIsToldAndTheNameComesFreeAgain) {
    const std::string name = "fwu-test-" + std::to_string(::GetCurrentProcessId());
    {
        const OneCopyPerSession first(name);
        ASSERT_EQ(first.Status(), OneCopyStatus::First) << first.Failure();
        const OneCopyPerSession second(name);
        EXPECT_EQ(second.Status(), OneCopyStatus::AlreadyRunning);
    }
    const OneCopyPerSession again(name);
    EXPECT_EQ(again.Status(), OneCopyStatus::First);
    EXPECT_EQ(OneCopyPerSession("a\\b").Status(), OneCopyStatus::Failed);
}

std::string OwnPath() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return win32::ToUtf8(std::wstring_view(buffer, length));
}

// Run as a child by the test below, to overrun its limit.
TEST(ChildProcess, DISABLED_WaitsLong) {
    std::this_thread::sleep_for(std::chrono::seconds(30));
}

TEST(RunAndWaitOnWindows, ExitStatusOutputAndTimeOut) {
    RunOptions capture;
    capture.captureOutput = true;
    capture.timeoutMs = 20000;
    const RunResult listed = RunAndWait(
        {OwnPath(), "--gtest_list_tests", "--gtest_filter=ChildProcess.*", "--gtest_also_run_disabled_tests"},
        capture);
    ASSERT_TRUE(listed.started);
    EXPECT_TRUE(listed.exited);
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.output.find("DISABLED_WaitsLong"), std::string::npos) << listed.output;

    RunOptions small = capture;
    small.maxOutputBytes = 8;
    const RunResult cut = RunAndWait({OwnPath(), "--gtest_list_tests"}, small);
    EXPECT_EQ(cut.output.size(), 8u);
    EXPECT_TRUE(cut.outputTruncated);

    RunOptions shortWait;
    shortWait.timeoutMs = 1500;
    const auto start = std::chrono::steady_clock::now();
    const RunResult overran = RunAndWait(
        {OwnPath(), "--gtest_filter=ChildProcess.DISABLED_WaitsLong", "--gtest_also_run_disabled_tests"},
        shortWait);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(overran.started);
    EXPECT_TRUE(overran.timedOut);
    EXPECT_FALSE(overran.exited);
    EXPECT_LT(took, std::chrono::seconds(10));

    EXPECT_FALSE(RunAndWait({"no-such-program-here"}, capture).started);
}

TEST(SleepPreciselyOnWindows, NeverShortAndNotTickSized) {
    constexpr int kPauses = 40;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPauses; ++i) {
        const auto before = std::chrono::steady_clock::now();
        SleepPrecisely(5);
        EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(5));
    }
    // A 15.6 ms system tick would make these 40 pauses take over 600 ms.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPauses * 5 * 2));
}

}  // namespace
