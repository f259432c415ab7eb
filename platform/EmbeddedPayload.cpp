// The running program's own file and the atomic write, on a POSIX system.
#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/EmbeddedPayload.h"
#include "platform/FileDescriptor.h"

namespace fwu::platform {

std::filesystem::path OwnExecutablePath() {
    // The link names the file the kernel started, even when the program was started through a symlink.
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

Payload ReadOwnPayload() {
    return ReadAppendedPayload("/proc/self/exe");
}

bool WriteFileAtomically(const std::filesystem::path& path, ByteView bytes, bool executable) {
    // The temporary file is a new name of our own (O_EXCL, O_NOFOLLOW): a link planted at that name, or at
    // the output path, is never written through; the rename then replaces the output path itself, a
    // symbolic link there included, and never the file a link points to.
    const std::string target = path.string();
    const mode_t mode = executable ? 0755 : 0644;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string temporary = target + ".tmp-" + std::to_string(static_cast<long long>(::getpid())) +
                                      "-" + std::to_string(attempt);
        FileDescriptor fd(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!fd.Valid()) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        // The mode is set on the open file, whatever the umask made of it.
        bool written = WriteAll(fd.Get(), bytes.data(), bytes.size()) && ::fchmod(fd.Get(), mode) == 0 &&
                       ::fsync(fd.Get()) == 0;
        written = fd.Close() && written;
        if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace fwu::platform
