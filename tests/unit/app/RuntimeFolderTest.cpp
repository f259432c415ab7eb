// The single-instance socket's folder: taken only when no other user could have made it first.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "services/RuntimeFolder.h"

namespace fwu {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMe = 1000;
constexpr const char* kOwn = "/home/me/.local/state/firmware-upgrade-utility";

platform::PathFacts Folder(std::uint32_t owner, std::uint32_t mode) {
    return {true, false, true, owner, mode};
}

TEST(RuntimeFolder, TakenOnlyWhenTheUsersOwnAndPrivate) {
    const platform::PathFacts mine = Folder(kMe, 0700);
    const platform::PathFacts link{true, true, false, kMe, 0777};
    const platform::PathFacts missing{};
    struct Case {
        const char* runtime;
        platform::PathFacts runtimeFacts;
        const char* own;
        platform::PathFacts ownFacts;
        const char* folder;
        const char* note;
    };
    const Case cases[] = {
        {"/run/user/1000", mine, kOwn, mine, "/run/user/1000", ""},
        {"/run/user/1000", Folder(kMe, 0755), kOwn, mine, kOwn,
         "XDG_RUNTIME_DIR is not taken: other users may use it (mode 0755); the single-instance socket is in "
         "/home/me/.local/state/firmware-upgrade-utility"},
        {"/tmp/planted", Folder(4242, 0700), kOwn, mine, kOwn,
         "XDG_RUNTIME_DIR is not taken: it belongs to another user; the single-instance socket is in "
         "/home/me/.local/state/firmware-upgrade-utility"},
        {"/tmp/link", link, kOwn, mine, kOwn,
         "XDG_RUNTIME_DIR is not taken: it is a symbolic link; the single-instance socket is in "
         "/home/me/.local/state/firmware-upgrade-utility"},
        {"", missing, kOwn, Folder(kMe, 01700), kOwn,
         "XDG_RUNTIME_DIR is not set; the single-instance socket is in "
         "/home/me/.local/state/firmware-upgrade-utility"},
        {"", missing, kOwn, Folder(kMe, 0750), "",
         "XDG_RUNTIME_DIR is not set; /home/me/.local/state/firmware-upgrade-utility is not taken either: "
         "other users may use it (mode 0750): one copy per user is not enforced"},
        {"", missing, kOwn, link, "",
         "XDG_RUNTIME_DIR is not set; /home/me/.local/state/firmware-upgrade-utility is not taken either: "
         "it is a symbolic link: one copy per user is not enforced"},
        {"", missing, "", missing, "",
         "XDG_RUNTIME_DIR is not set; no folder of the user's own either: one copy per user is not enforced"},
    };
    for (const Case& c : cases) {
        const RuntimeFolderChoice choice =
            ChooseRuntimeFolder(c.runtime, c.runtimeFacts, c.own, c.ownFacts, kMe);
        EXPECT_EQ(choice.folder, c.folder) << c.runtime;
        EXPECT_EQ(choice.note, c.note) << c.runtime;
    }
}

// The real folders: a shared runtime folder is passed over for a private one made beside the log, and a
// link planted there is not taken.
TEST(RuntimeFolder, RealFoldersAreCheckedAndTheOwnOneMadePrivate) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    fs::create_directory(root + "/shared");
    fs::permissions(root + "/shared", fs::perms::all);
    ::setenv("XDG_RUNTIME_DIR", (root + "/shared").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);

    RuntimeFolderChoice choice = FindRuntimeFolder();
    EXPECT_EQ(choice.folder, root + "/state/firmware-upgrade-utility");
    EXPECT_EQ(fs::status(choice.folder).permissions() & fs::perms::all, fs::perms::owner_all);

    fs::permissions(root + "/shared", fs::perms::owner_all);
    EXPECT_EQ(FindRuntimeFolder().folder, root + "/shared");

    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("XDG_STATE_HOME", (root + "/planted").c_str(), 1);
    fs::create_directory(root + "/planted");
    fs::create_directory_symlink(root + "/shared", root + "/planted/firmware-upgrade-utility");
    choice = FindRuntimeFolder();
    EXPECT_EQ(choice.folder, "");
    EXPECT_NE(choice.note.find("it is a symbolic link"), std::string::npos) << choice.note;
    ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace fwu
