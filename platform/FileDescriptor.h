// Open files, pipes and sockets of the POSIX side as its sources hold them: one owner per descriptor,
// which closes it once, and the reads and writes that the kernel may cut short (a signal, a pipe's room)
// carried on until they are whole. For the platform layer's own POSIX sources only.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "platform/Bytes.h"

namespace fwu::platform {

// Repeats a call that a signal interrupted (-1 with EINTR) and answers what the last one gave, errno as
// it left it. For calls whose arguments stay right on a second try; a wait that must keep its deadline
// computes the remaining time inside `call`.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR)) {
            return result;
        }
    }
}

// One open descriptor, or none (-1); move-only. The destructor, Reset and Close close it exactly once;
// Release hands it over without closing it.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // The descriptor, no longer owned here; -1 is left behind.
    int Release();
    // Closes the one held, if any, and takes `fd` instead.
    void Reset(int fd = -1);
    // Closes it now and tells whether the system reported the close as done; false when none was held.
    // A failed close still frees the descriptor, so it is never tried twice (a later close could hit a
    // number reused by another thread).
    bool Close();

private:
    int fd_ = -1;
};

// The two ends of a new pipe, both closed on exec; both invalid when no pipe could be made.
struct Pipe {
    FileDescriptor read;
    FileDescriptor write;
};
Pipe OpenPipe();

// Writes all `size` bytes, carrying on after short and interrupted writes. False when a write fails or
// writes nothing (the file is full, the reader is gone), with an unknown part written.
bool WriteAll(int fd, const void* data, std::size_t size);

// One read of at most `size` bytes, repeated when a signal interrupted it: the count, 0 at the end, or
// -1 with errno set (EAGAIN when a non-blocking descriptor has nothing yet).
ssize_t ReadSome(int fd, void* buffer, std::size_t size);

// Reads until `size` bytes are there or the end comes first: the count, below `size` only at the end;
// -1 when a read fails, whatever came before it.
ssize_t ReadUpTo(int fd, void* buffer, std::size_t size);
// The same from `offset` of a file, its read position left where it was.
ssize_t ReadUpToAt(int fd, void* buffer, std::size_t size, std::int64_t offset);

enum class WholeReadStatus {
    Complete,  // the end came within the bound: `data` holds everything
    TooLarge,  // more than the bound is there
    Failed,    // a read failed
};
struct WholeRead {
    WholeReadStatus status = WholeReadStatus::Failed;
    Bytes data;  // when Complete
};

// Reads to the end, never more than one byte past `maxBytes`: a source that keeps growing (a file
// written meanwhile, a pipe that does not end) is TooLarge once it passes the bound. `expectedBytes`
// sizes the first buffer (a file's size, so one read takes it all); the buffer doubles from there.
WholeRead ReadToEnd(int fd, std::size_t maxBytes, std::size_t expectedBytes = 0);

}  // namespace fwu::platform
