// Files only their owner may read or write, as the attempt log keeps them: the folders on their way made
// with mode 0700, a new file with 0600. Every file is opened without following a link at its name and
// without waiting (a FIFO can neither hold the open up nor take a line), and checked on the open
// descriptor: a regular file of this user's that neither the group nor others may write. A folder that
// is checked too is opened the same way (a link there is refused, not followed) and must be this user's,
// writable by no one else; the file is then opened inside that open folder, so nothing can be swapped in
// between the check and the write.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fwu::platform {

enum class OwnFileStatus {
    Written,
    Refused,  // the file or its folder is not one this user alone may write; trying again will not help
    Failed,   // it could not be opened or written this time (no space, no permission on the way)
};

struct OwnFileAppend {
    OwnFileStatus status = OwnFileStatus::Failed;
    std::int64_t size = -1;  // the file's size after the write, when written
    std::string reason;      // why it was not written, e.g. "it is not a regular file"
};

// Makes the folder and every missing folder above it, each with mode 0700 (folders that exist are left
// as they are). True when a folder exists at the path afterwards.
bool MakePrivateFolders(const std::string& folder);

// Appends `bytes` in one write to the file at `path`, creating it with mode 0600 (an existing file keeps
// its mode, its inode and what it holds). Missing folders are made; with `checkFolder` the file's folder
// must also be this user's own as described above.
OwnFileAppend AppendToOwnFile(const std::string& path, std::string_view bytes, bool checkFolder);

// Replaces the file at `path`, in its checked folder, by what `keep` chooses from its last `tailBytes`
// bytes: written to a new file (0600) beside it, flushed, and renamed over it, so a reader sees the old
// contents or the new, never a part. False, with the file untouched, when any step fails.
bool RewriteOwnFileTail(const std::string& path, std::int64_t tailBytes,
                        const std::function<std::string_view(std::string_view)>& keep);

// What a path names, a link at its end not followed.
struct PathFacts {
    bool exists = false;
    bool isLink = false;
    bool isFolder = false;
    std::uint32_t owner = 0;
    std::uint32_t mode = 0;  // the permission bits, e.g. 0700
};
PathFacts LookAtPath(const std::string& path);

// The user this process acts as.
std::uint32_t EffectiveUser();

}  // namespace fwu::platform
