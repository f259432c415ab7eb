// Whole-file reads, identities and replacement on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/FileAccess.h"
#include "platform/win32/WideText.h"

namespace {

namespace fs = std::filesystem;
using namespace fwu::platform::win32;

fs::path Folder() {
    const fs::path folder =
        fs::temp_directory_path() / ("fwu-files-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    return folder;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct ReadCase {
    const char* what;
    std::string path;
    std::int64_t maxBytes;
    WholeFileStatus status;
    std::string data;
};

TEST(ReadWholeFile, ReadsFilesOnDiskWithinTheLimitOnly) {
    const fs::path folder = Folder();
    Write(folder / "ten", "0123456789");
    Write(folder / "empty", "");
    fs::create_directories(folder / "sub");
    const std::string ten = (folder / "ten").string();
    const std::vector<ReadCase> cases = {
        {"whole file", ten, 100, WholeFileStatus::Ok, "0123456789"},
        {"exactly the limit", ten, 10, WholeFileStatus::Ok, "0123456789"},
        {"one byte over", ten, 9, WholeFileStatus::TooLarge, ""},
        {"empty file", (folder / "empty").string(), 10, WholeFileStatus::Ok, ""},
        {"a folder", (folder / "sub").string(), 10, WholeFileStatus::NotRegular, ""},
        {"the null device", "NUL", 10, WholeFileStatus::NotRegular, ""},
        {"missing", (folder / "missing").string(), 10, WholeFileStatus::Unreadable, ""},
        {"no name", "", 10, WholeFileStatus::Unreadable, ""},
    };
    for (const ReadCase& c : cases) {
        const WholeFile file = ReadWholeFile(c.path, c.maxBytes);
        EXPECT_EQ(file.status, c.status) << c.what;
        EXPECT_EQ(file.data, c.data) << c.what;
    }
}

TEST(IdentifyPath, SameFileUnderTwoNamesAndNoOther) {
    const fs::path folder = Folder();
    Write(folder / "a", "a");
    Write(folder / "b", "a");
    fs::remove(folder / "a-again");
    ASSERT_TRUE(::CreateHardLinkW(ToWide((folder / "a-again").string()).c_str(),
                                  ToWide((folder / "a").string()).c_str(), nullptr));
    const auto a = IdentifyPath((folder / "a").string());
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(IdentifyPath((folder / "a-again").string()), a);
    EXPECT_NE(IdentifyPath((folder / "b").string()), a);
    EXPECT_EQ(ReadWholeFile((folder / "a").string(), 10).identity, a);
    EXPECT_FALSE(IdentifyPath((folder / "none").string()).has_value());
}

TEST(ReplaceWholeFile, ReplacesWholeAndLeavesNothingBehind) {
    const fs::path folder = Folder() / "replace";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "out.exe").string();
    Write(path, "old contents that are longer");
    ASSERT_TRUE(ReplaceWholeFile(path, std::string("new\0bytes", 9)));
    EXPECT_EQ(ReadWholeFile(path, 100).data, std::string("new\0bytes", 9));
    EXPECT_FALSE(ReplaceWholeFile((folder / "no-such-folder" / "x").string(), "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(OwnModulePath, NamesThisProgramsFile) {
    const std::string own = OwnModulePath();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(fs::path(own).filename().string(), "unit_windows_platform.exe");
    EXPECT_EQ(ReadWholeFile(own, 64 << 20).status, WholeFileStatus::Ok);
}

}  // namespace
