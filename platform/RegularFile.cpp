#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <utility>

#include "platform/FileDescriptor.h"

namespace fwu::platform {
namespace {

FileId IdOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

RegularFile ReadRegularFile(const std::filesystem::path& path, std::int64_t maxBytes) {
    RegularFile file;
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) {
        return file;
    }
    file.id = IdOf(info);
    if (!S_ISREG(info.st_mode)) {
        file.status = RegularFileStatus::NotRegular;
        return file;
    }
    if (info.st_size > maxBytes) {
        file.status = RegularFileStatus::TooLarge;
        return file;
    }
    // The file may grow while it is read: the read stops one byte past the limit.
    WholeRead whole =
        ReadToEnd(fd.Get(), static_cast<std::size_t>(maxBytes), static_cast<std::size_t>(info.st_size));
    if (whole.status != WholeReadStatus::Complete) {
        file.status = whole.status == WholeReadStatus::TooLarge ? RegularFileStatus::TooLarge
                                                                : RegularFileStatus::Unreadable;
        return file;
    }
    file.data = std::move(whole.data);
    file.status = RegularFileStatus::Ok;
    return file;
}

std::optional<FileId> IdentifyFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdOf(info);
}

}  // namespace fwu::platform
