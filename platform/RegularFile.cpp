#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
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

RegularFile ReadRegularFile(const QString& path, qint64 maxBytes) {
    RegularFile file;
    const QByteArray name = QFile::encodeName(path);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
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
    QByteArray data(static_cast<qsizetype>(info.st_size) + 1, '\0');
    qsizetype filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled > maxBytes) {
                file.status = RegularFileStatus::TooLarge;
                return file;
            }
            data.resize(std::min<qsizetype>(data.size() * 2, static_cast<qsizetype>(maxBytes) + 1));
        }
        const ssize_t got =
            ::read(fd.get(), data.data() + filled, static_cast<std::size_t>(data.size() - filled));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return file;
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    data.resize(filled);
    file.data = std::move(data);
    file.status = RegularFileStatus::Ok;
    return file;
}

std::optional<FileId> IdentifyFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return IdOf(info);
}

}  // namespace fwu::platform
