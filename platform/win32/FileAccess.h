// Whole-file reads and writes on Windows with the checks the carried image and the input files need: the
// file is opened at its name without waiting (a device or pipe is refused, not read), its identity is
// its volume and file index, and a replacement is written beside it and moved over it in one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fwu::platform::win32 {

// The path of the running program's .exe, UTF-8; empty when the system does not give it.
std::string OwnModulePath();

struct FileIdentity {
    std::uint64_t volume = 0;  // the volume's serial number
    std::uint64_t index = 0;   // the file's index on that volume
    bool operator==(const FileIdentity&) const = default;
};

enum class WholeFileStatus { Ok, Unreadable, NotRegular, TooLarge };

struct WholeFile {
    WholeFileStatus status = WholeFileStatus::Unreadable;
    std::string data;                      // the whole file when Ok
    std::optional<FileIdentity> identity;  // when the file could be opened
};

// Reads the whole file when it is a file on disk of at most `maxBytes` (a file that grows past the
// limit while it is read is TooLarge too).
WholeFile ReadWholeFile(const std::string& path, std::int64_t maxBytes);

// The identity of the file the path names, links followed; nothing when there is none.
std::optional<FileIdentity> IdentifyPath(const std::string& path);

// Writes `bytes` to a new file beside `path` and moves it over `path`, so a reader sees the old file or
// the new one, never a part. False, with `path` untouched and no file left behind, when a step fails.
bool ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace fwu::platform::win32
