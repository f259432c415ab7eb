#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace fwu::platform {
namespace {

FileId IdOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

RegularFile ReadRegularFile(const std::filesystem::path& path, std::int64_t maxBytes) {
    RegularFile file;
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
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
    // Read until the end, one byte past the limit at most, in case the file grows while it is read.
    const auto limit = static_cast<std::size_t>(maxBytes);
    Bytes data(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled > limit) {
                file.status = RegularFileStatus::TooLarge;
                return file;
            }
            data.resize(std::min(data.size() * 2, limit + 1));
        }
        const ssize_t got = ::read(fd.get(), data.data() + filled, data.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return file;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    data.resize(filled);
    file.data = std::move(data);
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
