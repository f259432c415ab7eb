// Plain input files on Windows, through win32/FileAccess: a device or pipe is refused without being read,
// and a file's identity is its volume and its index on that volume.
#include "platform/RegularFile.h"

#include "platform/win32/FileAccess.h"
#include "platform/win32/WideText.h"

namespace fwu::platform {
namespace {

FileId IdOf(const win32::FileIdentity& identity) {
    return {identity.volume, identity.index};
}

RegularFileStatus StatusOf(win32::WholeFileStatus status) {
    switch (status) {
        case win32::WholeFileStatus::Ok:
            return RegularFileStatus::Ok;
        case win32::WholeFileStatus::NotRegular:
            return RegularFileStatus::NotRegular;
        case win32::WholeFileStatus::TooLarge:
            return RegularFileStatus::TooLarge;
        case win32::WholeFileStatus::Unreadable:
            break;
    }
    return RegularFileStatus::Unreadable;
}

}  // namespace

RegularFile ReadRegularFile(const std::filesystem::path& path, std::int64_t maxBytes) {
    const win32::WholeFile whole = win32::ReadWholeFile(win32::ToUtf8(path.wstring()), maxBytes);
    RegularFile file;
    file.status = StatusOf(whole.status);
    if (whole.identity) {
        file.id = IdOf(*whole.identity);
    }
    if (file.status == RegularFileStatus::Ok) {
        file.data = ToBytes(whole.data);
    }
    return file;
}

std::optional<FileId> IdentifyFile(const std::filesystem::path& path) {
    const std::optional<win32::FileIdentity> identity = win32::IdentifyPath(win32::ToUtf8(path.wstring()));
    return identity ? std::optional<FileId>(IdOf(*identity)) : std::nullopt;
}

}  // namespace fwu::platform
