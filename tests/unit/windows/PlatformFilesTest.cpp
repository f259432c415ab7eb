// The portable platform headers' Windows bodies that the core leans on: the carried image's file and the
// atomic write, the plain-file reads and identities (through a non-ASCII folder name, which the system
// takes in UTF-16), and pauses that never end early.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/EmbeddedPayload.h"
#include "platform/RegularFile.h"
#include "platform/Sleep.h"

namespace {

namespace fs = std::filesystem;
using namespace fwu;
using namespace fwu::platform;

fs::path Folder() {
    const fs::path folder = fs::temp_directory_path() /
                            (L"fwu-plattform-\u00e4\u00f6-" + std::to_wstring(::GetCurrentProcessId()));
    fs::create_directories(folder);
    return folder;
}

TEST(PlatformFiles, WrittenAtomicallyReadBackAndIdentified) {
    const fs::path folder = Folder();
    const fs::path file = folder / L"bild-\u00fc.bin";
    ASSERT_TRUE(WriteFileAtomically(file, ToBytes("first"), false));
    ASSERT_TRUE(WriteFileAtomically(file, ToBytes("second"), true));  // over the old one
    const struct {
        const char* what;
        fs::path path;
        std::int64_t maxBytes;
        RegularFileStatus status;
        std::string data;
    } cases[] = {
        {"the file", file, 6, RegularFileStatus::Ok, "second"},
        {"past the limit", file, 5, RegularFileStatus::TooLarge, ""},
        {"a folder", folder, 100, RegularFileStatus::NotRegular, ""},
        {"missing", folder / "none", 100, RegularFileStatus::Unreadable, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RegularFile read = ReadRegularFile(c.path, c.maxBytes);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(std::string(AsText(read.data)), c.data);
    }
    EXPECT_EQ(fs::directory_iterator(folder)->path(), file) << "no temporary file left beside it";
    const auto id = IdentifyFile(file);
    ASSERT_TRUE(id);
    EXPECT_EQ(ReadRegularFile(file, 100).id, *id);
    EXPECT_NE(IdentifyFile(folder), id);
    EXPECT_FALSE(IdentifyFile(folder / "none"));
    fs::remove_all(folder);
}

TEST(PlatformFiles, OwnProgramIsFoundAndCarriesNoImage) {
    const fs::path own = OwnExecutablePath();
    EXPECT_EQ(own.extension(), ".exe");
    EXPECT_TRUE(fs::is_regular_file(own));
    const Payload payload = ReadOwnPayload();  // a test program has none appended
    EXPECT_EQ(payload.status, PayloadStatus::NoPayload);
    EXPECT_EQ(payload.programSize, static_cast<std::int64_t>(fs::file_size(own)));
}

// The upload's pauses: each at least its time, the early-waking waits included (under wine as on
// Windows). How close a run of them keeps to their sum is measured by the Windows lab test of the upload,
// which runs alone; here a loaded machine would make any bound a guess.
TEST(SleepPrecisely, PausesNeverEndEarly) {
    using Clock = std::chrono::steady_clock;
    constexpr int kPauses = 60;
    for (int i = 0; i < kPauses; ++i) {
        const auto before = Clock::now();
        SleepPrecisely(5);
        ASSERT_GE(Clock::now() - before, std::chrono::milliseconds(5)) << "pause " << i;
    }
}

}  // namespace
