// Input files that must be plain files on disk: read whole within a size limit, never a device or a FIFO
// (which could block the open or never end), and told apart by their identity on disk rather than by
// their path, so a link or a second name for the same file is recognised.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/Bytes.h"

namespace fwu::platform {

// The device and inode of a file: equal for two paths exactly when they name the same file.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

enum class RegularFileStatus {
    Ok,
    Unreadable,  // missing, not permitted, or a read failed
    NotRegular,  // a folder, device, FIFO or socket
    TooLarge,    // more than the caller's limit
};

struct RegularFile {
    RegularFileStatus status = RegularFileStatus::Unreadable;
    Bytes data;  // the whole file when Ok
    FileId id;   // when the file could be opened
};

// Opens the file without waiting (a FIFO does not hold the open up), checks on the open file that it is
// a regular file of at most `maxBytes`, and reads all of it.
RegularFile ReadRegularFile(const std::filesystem::path& path, std::int64_t maxBytes);

// The identity of the file a path names, links followed; nothing when there is no such file.
std::optional<FileId> IdentifyFile(const std::filesystem::path& path);

}  // namespace fwu::platform
