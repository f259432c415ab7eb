#include "platform/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace fwu::platform {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool MakePrivateFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    // Each prefix ending before a slash, then the whole path.
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/') {
            continue;
        }
        const std::string prefix = folder.substr(0, end);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::int64_t AppendToPrivateFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return -1;
    }
    const bool written = WriteAll(fd, bytes);
    struct stat info {};
    const bool sized = ::fstat(fd, &info) == 0;
    ::close(fd);
    return written && sized ? static_cast<std::int64_t>(info.st_size) : -1;
}

bool ReadFileTail(const std::string& path, std::int64_t maxBytes, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    const std::int64_t size = info.st_size;
    const std::int64_t start = size > maxBytes ? size - maxBytes : 0;
    std::vector<char> buffer(static_cast<std::size_t>(size - start));
    std::size_t have = 0;
    bool ok = true;
    while (have < buffer.size()) {
        const ssize_t got = ::pread(fd, buffer.data() + have, buffer.size() - have,
                                    static_cast<off_t>(start + static_cast<std::int64_t>(have)));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ok = false;
        }
        if (got <= 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    ::close(fd);
    out.assign(buffer.data(), have);
    return ok;
}

bool ReplacePrivateFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace fwu::platform
