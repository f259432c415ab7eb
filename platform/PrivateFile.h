// Files only their owner may read: the folders on their way made with mode 0700, the file with 0600.
// Appending adds to the end in one write; replacing writes a temporary file beside the target and
// renames it over the target, so a reader sees the old contents or the new, never a part.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fwu::platform {

// Makes the folder and every missing folder above it, each with mode 0700 (folders that exist are left
// as they are). True when the folder exists afterwards.
bool MakePrivateFolders(const std::string& folder);

// Appends `bytes` to the file in one write, creating it with mode 0600; a link at the path is not
// followed. Answers the file's size after the write, or -1 when it could not be written whole.
std::int64_t AppendToPrivateFile(const std::string& path, std::string_view bytes);

// Reads at most `maxBytes` from the end of the file (its last bytes); false when it cannot be read.
bool ReadFileTail(const std::string& path, std::int64_t maxBytes, std::string& out);

// Writes `bytes` to a new temporary file (mode 0600) in the target's folder, flushes it to disk and
// renames it over `path`. False, with the target untouched and the temporary file removed, on failure.
bool ReplacePrivateFile(const std::string& path, std::string_view bytes);

}  // namespace fwu::platform
