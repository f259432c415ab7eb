#include "platform/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace fwu::platform {
namespace {

// Reads until `size` bytes are there or `readAt(buffer, size, done)` reports the end (0).
template <typename ReadAt>
ssize_t ReadUntilFull(void* buffer, std::size_t size, ReadAt readAt) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = RetryOnInterrupt([&] { return readAt(bytes + done, size - done, done); });
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

int FileDescriptor::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::Reset(int fd) {
    if (fd_ >= 0 && fd_ != fd) {
        ::close(fd_);
    }
    fd_ = fd;
}

bool FileDescriptor::Close() {
    // Not repeated after EINTR: the descriptor is released whatever close answers.
    return fd_ >= 0 && ::close(Release()) == 0;
}

Pipe OpenPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    return {FileDescriptor(ends[0]), FileDescriptor(ends[1])};
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = RetryOnInterrupt([&] { return ::write(fd, bytes, size); });
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size) {
    return RetryOnInterrupt([&] { return ::read(fd, buffer, size); });
}

ssize_t ReadUpTo(int fd, void* buffer, std::size_t size) {
    return ReadUntilFull(buffer, size,
                         [fd](void* into, std::size_t room, std::size_t) { return ::read(fd, into, room); });
}

ssize_t ReadUpToAt(int fd, void* buffer, std::size_t size, std::int64_t offset) {
    return ReadUntilFull(buffer, size, [fd, offset](void* into, std::size_t room, std::size_t done) {
        return ::pread(fd, into, room, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    });
}

WholeRead ReadToEnd(int fd, std::size_t maxBytes, std::size_t expectedBytes) {
    WholeRead result;
    // The byte past the bound is read too: only it tells a source of exactly `maxBytes` from a longer one.
    // (No buffer comes near the largest size, so a bound that high is no bound.)
    maxBytes = std::min(maxBytes, std::numeric_limits<std::size_t>::max() - 1);
    Bytes data(std::min(expectedBytes, maxBytes) + 1);
    std::size_t filled = 0;
    for (;;) {
        const ssize_t got = ReadUpTo(fd, data.data() + filled, data.size() - filled);
        if (got < 0) {
            return result;
        }
        filled += static_cast<std::size_t>(got);
        if (filled < data.size()) {
            break;  // the end came first
        }
        if (filled > maxBytes) {
            result.status = WholeReadStatus::TooLarge;
            return result;
        }
        data.resize(std::min(data.size() * 2, maxBytes + 1));
    }
    data.resize(filled);
    result.data = std::move(data);
    result.status = WholeReadStatus::Complete;
    return result;
}

}  // namespace fwu::platform
