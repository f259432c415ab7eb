// The log of every attempt: where it lives, what a line may hold, its modes, its 1 MiB, and a folder it
// cannot be written to.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "upgrade/AttemptLog.h"

namespace fwu {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AttemptLog, PathFollowsTheStateFolderRule) {
    struct Case {
        const char* stateHome;
        const char* home;
        const char* path;
    };
    const Case cases[] = {
        {"/var/lib/me/state", "/home/me", "/var/lib/me/state/firmware-upgrade-utility/upgrade.log"},
        {"/var/lib/me/state/", "/home/me", "/var/lib/me/state/firmware-upgrade-utility/upgrade.log"},
        {nullptr, "/home/me", "/home/me/.local/state/firmware-upgrade-utility/upgrade.log"},
        {"", "/home/me", "/home/me/.local/state/firmware-upgrade-utility/upgrade.log"},
        {"state", "/home/me", "/home/me/.local/state/firmware-upgrade-utility/upgrade.log"},  // relative
        {"/", "/home/me", "/firmware-upgrade-utility/upgrade.log"},
        {"relative", "also/relative", ""},
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AttemptLogPathFor(c.stateHome, c.home), c.path)
            << (c.stateHome ? c.stateHome : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST(AttemptLog, LinesArePrintableBoundedAndHideSecrets) {
    EXPECT_EQ(PrintableText("HTTP/1.0 200 Ok"), "HTTP/1.0 200 Ok");
    EXPECT_EQ(PrintableText("v2\r\nforged line\x1b[2J\\"), "v2\\x0D\\x0Aforged line\\x1B[2J\\x5C");
    EXPECT_EQ(PrintableText(std::string(300, 'a')), std::string(157, 'a') + "...");
    EXPECT_EQ(PrintableText("\xff\xff", 7), "\\xFF...");
    EXPECT_EQ(PrintableText("\xff\xff", 6), "...");

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/state/firmware-upgrade-utility/upgrade.log";
    AttemptLog log(path, [] { return std::string("2026-12-08T01:46:43+01:00"); });
    log.Hide("s3cr3t-pw");
    log.Hide("abc");  // too short to search for
    log.Write("check", "router says \"s3cr3t-pw\"\nand abc");
    EXPECT_EQ(ReadAll(path), "2026-12-08T01:46:43+01:00 check: router says \"[hidden]\"\\x0Aand abc\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(fs::path(path).parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(fs::path(path).parent_path().parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST(AttemptLog, KeepsTheNewestWholeLinesUnderOneMebibyte) {
    EXPECT_EQ(NewestWholeLines("one\ntwo\nthree\n", 100), "one\ntwo\nthree\n");
    EXPECT_EQ(NewestWholeLines("one\ntwo\nthree\n", 9), "three\n");
    EXPECT_EQ(NewestWholeLines("one\ntwo\nthree\n", 10), "two\nthree\n");  // cut falls on a line's start
    EXPECT_EQ(NewestWholeLines("one\ntwo\nthree\n", 13), "two\nthree\n");
    EXPECT_EQ(NewestWholeLines("one\ntwo\nthree\n", 3), "");

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/upgrade.log";
    const std::string older(kAttemptLogLimitBytes - 100, 'x');
    {
        std::ofstream seed(path, std::ios::binary);
        seed << "oldest line\n" << older << "\n";
    }
    int n = 0;
    AttemptLog log(path, [&n] { return "t" + std::to_string(++n); });
    for (int i = 0; i < 20; ++i) {
        log.Write("step", std::string(40, 'y'));
    }
    const std::string kept = ReadAll(path);
    EXPECT_LE(kept.size(), kAttemptLogLimitBytes);
    // The long line went once the file grew past the limit; every later line is there whole.
    EXPECT_EQ(kept.find("oldest line"), std::string::npos);
    EXPECT_NE(kept.find("\nt20 step: "), std::string::npos);
    EXPECT_EQ(kept.back(), '\n');
    EXPECT_EQ(kept.rfind("t1 step: ", 0), 0u) << kept.substr(0, 40);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path().toStdString()), fs::directory_iterator()), 1);
}

TEST(AttemptLog, UnwritableFolderIsSkippedAndCopiesStillWritten) {
    QTemporaryDir dir;
    const std::string blocker = dir.path().toStdString() + "/not-a-folder";
    std::ofstream(blocker) << "a file where the log's folder would be\n";
    const std::string copy = dir.path().toStdString() + "/copy/attempt.log";
    AttemptLog log(blocker + "/firmware-upgrade-utility/upgrade.log", [] { return std::string("t"); });
    log.AddSink(copy);
    log.Write("verdict", "result 1, restarted");
    EXPECT_FALSE(fs::exists(blocker + "/firmware-upgrade-utility"));
    EXPECT_EQ(ReadAll(copy), "t verdict: result 1, restarted\n");
}

}  // namespace
}  // namespace fwu
