// The log of every attempt: where it lives, what a line may hold, its modes, its 1 MiB, a folder it
// cannot be written to, the files it refuses, a copy that is only appended to, and the hidden secrets.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/PrintableText.h"
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

// The time stamp is the local time with the zone's offset from UTC, whatever the zone: east and west of
// UTC, with half hours, and across a date line from UTC's own date.
TEST(AttemptLog, TimestampIsLocalTimeWithTheZonesOffset) {
    struct Case {
        const char* zone;  // POSIX TZ: the name, then the hours to add to reach UTC
        const char* offset;
    };
    const Case cases[] = {
        {"UTC0", "+00:00"},     {"<+0530>-5:30", "+05:30"}, {"<-0930>9:30", "-09:30"},
        {"<+14>-14", "+14:00"}, {"<-12>12", "-12:00"},
    };
    const char* saved = std::getenv("TZ");
    const std::string before = saved != nullptr ? saved : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        ::setenv("TZ", c.zone, 1);
        ::tzset();
        // Read again when the second moved on while the stamp was made.
        std::time_t now = 0;
        std::string stamp;
        for (int tries = 0; tries < 3 && (tries == 0 || now != std::time(nullptr)); ++tries) {
            now = std::time(nullptr);
            stamp = LocalTimestamp();
        }
        std::tm local{};
        ::localtime_r(&now, &local);
        char expected[32];
        std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%S", &local);
        ASSERT_EQ(stamp.size(), 25u) << stamp;
        EXPECT_EQ(stamp.substr(0, 19), expected) << stamp;
        EXPECT_EQ(stamp.substr(19), c.offset) << stamp;
    }
    if (saved != nullptr) {
        ::setenv("TZ", before.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
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
    EXPECT_EQ(MakePrintable("HTTP/1.0 200 Ok", UnprintableStyle::HexEscape, kLoggedTextChars),
              "HTTP/1.0 200 Ok");
    EXPECT_EQ(MakePrintable("v2\r\nforged line\x1b[2J\\", UnprintableStyle::HexEscape, kLoggedTextChars),
              "v2\\x0D\\x0Aforged line\\x1B[2J\\x5C");
    EXPECT_EQ(MakePrintable(std::string(300, 'a'), UnprintableStyle::HexEscape, kLoggedTextChars),
              std::string(157, 'a') + "...");
    EXPECT_EQ(MakePrintable("\xff\xff", UnprintableStyle::HexEscape, 7), "\\xFF...");
    EXPECT_EQ(MakePrintable("\xff\xff", UnprintableStyle::HexEscape, 6), "...");

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

// What a test plants at the log's path (or its folder) before the log writes.
enum class Plant {
    Nothing,
    FifoNoReader,
    FifoWithReader,
    LinkToFile,
    Folder,
    OtherUsersFile,
    GroupWritableFile,
    LinkedFolder,  // the folder a link to another, world-writable folder holding a 0666 file
    OtherUsersFolder,
    SharedFolder,  // mode 0777
};

constexpr uid_t kOtherUser = 65534;

// Plants at <root>/logs/upgrade.log; answers whether the plant needs root (chown).
bool PlantAt(const std::string& root, Plant plant, int& reader) {
    const std::string folder = root + "/logs";
    const std::string file = folder + "/upgrade.log";
    if (plant == Plant::LinkedFolder) {
        fs::create_directory(root + "/elsewhere");
        fs::permissions(root + "/elsewhere", fs::perms::all);
        std::ofstream(root + "/elsewhere/upgrade.log") << "planted\n";
        fs::permissions(root + "/elsewhere/upgrade.log", fs::perms(0666));
        fs::create_directory_symlink(root + "/elsewhere", folder);
        return false;
    }
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all);
    switch (plant) {
        case Plant::FifoNoReader:
        case Plant::FifoWithReader:
            ::mkfifo(file.c_str(), 0600);
            if (plant == Plant::FifoWithReader) {
                reader = ::open(file.c_str(), O_RDONLY | O_NONBLOCK);
            }
            return false;
        case Plant::LinkToFile:
            std::ofstream(root + "/target") << "planted\n";
            fs::create_symlink(root + "/target", file);
            return false;
        case Plant::Folder:
            fs::create_directory(file);
            return false;
        case Plant::OtherUsersFile:
        case Plant::GroupWritableFile:
            std::ofstream(file) << "planted\n";
            fs::permissions(file, plant == Plant::GroupWritableFile ? fs::perms(0620) : fs::perms(0600));
            return plant == Plant::OtherUsersFile && ::chown(file.c_str(), kOtherUser, kOtherUser) == 0;
        case Plant::OtherUsersFolder:
            return ::chown(folder.c_str(), kOtherUser, kOtherUser) == 0;
        case Plant::SharedFolder:
            fs::permissions(folder, fs::perms::all);
            return false;
        default:
            return false;
    }
}

TEST(AttemptLog, WritesOnlyTheUsersOwnRegularFileAndSaysOnceWhenNot) {
    struct Case {
        Plant plant;
        bool copy;           // handed to AddSink (--log), else the program's own log
        const char* reason;  // empty: written
    };
    const Case cases[] = {
        {Plant::Nothing, false, ""},
        {Plant::FifoNoReader, false, "it is not a regular file"},
        {Plant::FifoWithReader, false, "it is not a regular file"},
        {Plant::FifoNoReader, true, "it is not a regular file"},
        {Plant::FifoWithReader, true, "it is not a regular file"},
        {Plant::LinkToFile, false, "it is a symbolic link"},
        {Plant::LinkToFile, true, "it is a symbolic link"},
        {Plant::Folder, true, "it is a folder"},
        {Plant::OtherUsersFile, false, "it belongs to another user"},
        {Plant::GroupWritableFile, true, "it may be written by other users"},
        {Plant::LinkedFolder, false, "its folder is a symbolic link"},
        {Plant::OtherUsersFolder, false, "its folder belongs to another user"},
        {Plant::SharedFolder, false, "its folder may be written by other users"},
        // A copy's folder is the one the user named: links and sharing there are the user's choice.
        {Plant::LinkedFolder, true, "it may be written by other users"},
        {Plant::SharedFolder, true, ""},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const std::string root = dir.path().toStdString();
        const std::string file = root + "/logs/upgrade.log";
        int reader = -1;
        const bool chowned = PlantAt(root, c.plant, reader);
        if ((c.plant == Plant::OtherUsersFile || c.plant == Plant::OtherUsersFolder) && !chowned) {
            continue;  // only root can give a file away
        }
        std::vector<std::string> notices;
        AttemptLog log(c.copy ? std::string() : file, [] { return std::string("t"); });
        if (c.copy) {
            log.AddSink(file);
        }
        log.OnUnwritable([&notices](const std::string& line) { notices.push_back(line); });
        log.Write("start", "one");
        log.Write("start", "two");
        const std::string label = std::to_string(static_cast<int>(c.plant)) + (c.copy ? " copy" : " own");
        if (*c.reason == '\0') {
            EXPECT_TRUE(notices.empty()) << label << ": " << notices.front();
            EXPECT_EQ(ReadAll(file), "t start: one\nt start: two\n") << label;
        } else {
            EXPECT_EQ(notices, std::vector<std::string>{"the log " + file + " is not written: " + c.reason})
                << label;
        }
        if (c.plant == Plant::LinkToFile) {
            EXPECT_EQ(ReadAll(root + "/target"), "planted\n");
        }
        if (c.plant == Plant::LinkedFolder && !c.copy) {
            EXPECT_EQ(ReadAll(root + "/elsewhere/upgrade.log"), "planted\n");
        }
        if (reader >= 0) {
            char byte = 0;
            EXPECT_EQ(::read(reader, &byte, 1), 0) << label << ": nothing reached the FIFO";
            ::close(reader);
        }
    }
}

TEST(AttemptLog, CopyIsOnlyAppendedToWhileTheOwnLogIsCut) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string notes = root + "/notes.txt";
    const std::string history = "older notes\n" + std::string(kAttemptLogLimitBytes + 4096, 'n') + "\n";
    std::ofstream(notes, std::ios::binary) << history;
    fs::permissions(notes, fs::perms(0640));
    struct stat before {};
    ASSERT_EQ(::stat(notes.c_str(), &before), 0);

    const std::string own = root + "/state/upgrade.log";
    AttemptLog log(own, [] { return std::string("t"); });
    log.AddSink(notes);
    log.Write("verdict", "result 1, restarted");

    struct stat after {};
    ASSERT_EQ(::stat(notes.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(notes), history + "t verdict: result 1, restarted\n");
    EXPECT_EQ(ReadAll(own), "t verdict: result 1, restarted\n");
}

TEST(AttemptLog, SecretsAreHiddenInEverySpellingBeforeAnyCut) {
    const std::string longPassword = "P" + std::string(98, 'w') + "d";  // 100 characters
    struct Case {
        std::vector<std::string> secrets;
        bool outside;  // the text passed through Outside, as a router's text is
        std::string text;
        std::string logged;  // the line after "t answer: "
    };
    const Case cases[] = {
        {{"p\xC3\xA4ssw\xC3\xB6rd"}, true, "HTTP/1.0 401 p\xC3\xA4ssw\xC3\xB6rd", "HTTP/1.0 401 [hidden]"},
        {{"ro\\del"}, true, "user ro\\del here", "user [hidden] here"},
        {{"ro\\del"}, false, "already escaped ro\\x5Cdel", "already escaped [hidden]"},
        {{"s3cr3t-pw"}, false, "said s3cr3t-pw\r\n", "said [hidden]\\x0D\\x0A"},
        // Short ones: every occurrence in a router's text, none in the log's own words.
        {{"abc"}, true, "Version:abc,xabcx", "Version:[hidden],x[hidden]x"},
        {{"abc"}, false, "result abc", "result abc"},
        {{"a"}, true, "401 Unauthorized", "401 Un[hidden]uthorized"},
        // Long ones: whole, cut short at a field's end, and past the cut of an outside text.
        {{longPassword}, true, "Firmware Version:" + longPassword, "Firmware Version:[hidden]"},
        {{longPassword}, true, longPassword.substr(0, 63), "[hidden]"},
        {{longPassword}, true, std::string(150, 'x') + longPassword, std::string(150, 'x') + "[hidden]"},
        {{longPassword}, true, std::string(155, 'x') + longPassword, std::string(155, 'x') + "[h..."},
        // Overlapping secrets become one mark.
        {{"abcdef", "defghi"}, false, "abcdefghi!", "[hidden]!"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/upgrade.log";
        AttemptLog log(path, [] { return std::string("t"); });
        for (const std::string& secret : c.secrets) {
            log.Hide(secret);
            log.Hide(secret);  // told again on every line by the sequence: kept once
        }
        log.Write("answer", c.outside ? log.Outside(c.text) : c.text);
        EXPECT_EQ(ReadAll(path), "t answer: " + c.logged + "\n") << c.text;
    }
}

}  // namespace
}  // namespace fwu
