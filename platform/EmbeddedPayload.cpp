#include "platform/EmbeddedPayload.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fwu::platform {
namespace {

constexpr qsizetype kDigestSize = 32;

QByteArray Sha256(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

struct Trailer {
    qint64 payloadSize = 0;
    QByteArray digest;
};

// Decodes a trailer; false when the bytes are not one.
bool DecodeTrailer(QByteArrayView raw, Trailer& out) {
    if (raw.size() != kPayloadTrailerSize || raw.sliced(8 + kDigestSize) != kPayloadMagic) {
        return false;
    }
    out.payloadSize = static_cast<qint64>(qFromLittleEndian<quint64>(raw.data()));
    out.digest = raw.sliced(8, kDigestSize).toByteArray();
    return true;
}

// A trailer's size must leave room for itself in a file of `fileSize` bytes and stay within our bound.
bool PlausibleSize(qint64 payloadSize, qint64 fileSize) {
    return payloadSize >= 0 && payloadSize <= kMaxPayloadSize &&
           payloadSize <= fileSize - kPayloadTrailerSize;
}

}  // namespace

QByteArray MakePayloadTrailer(QByteArrayView payload) {
    QByteArray trailer(8, '\0');
    qToLittleEndian<quint64>(static_cast<quint64>(payload.size()), trailer.data());
    trailer += Sha256(payload);
    trailer += kPayloadMagic.toByteArray();
    return trailer;
}

Payload SplitPackedBytes(QByteArrayView fileBytes) {
    Payload result;
    result.programSize = fileBytes.size();
    Trailer trailer;
    if (fileBytes.size() < kPayloadTrailerSize ||
        !DecodeTrailer(fileBytes.last(kPayloadTrailerSize), trailer)) {
        result.status = PayloadStatus::NoPayload;
        return result;
    }
    if (!PlausibleSize(trailer.payloadSize, fileBytes.size())) {
        result.status = PayloadStatus::Damaged;
        return result;
    }
    const qint64 start = fileBytes.size() - kPayloadTrailerSize - trailer.payloadSize;
    const QByteArrayView payload = fileBytes.sliced(start, trailer.payloadSize);
    result.programSize = start;
    if (Sha256(payload) != trailer.digest) {
        result.status = PayloadStatus::DigestMismatch;
        return result;
    }
    result.status = PayloadStatus::Ok;
    result.sha256 = trailer.digest;
    result.data = payload.toByteArray();
    return result;
}

Payload ReadAppendedPayload(const QString& path) {
    Payload result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    const qint64 fileSize = file.size();
    result.programSize = fileSize;
    Trailer trailer;
    if (fileSize < kPayloadTrailerSize || !file.seek(fileSize - kPayloadTrailerSize) ||
        !DecodeTrailer(file.read(kPayloadTrailerSize), trailer)) {
        result.status = PayloadStatus::NoPayload;
        return result;
    }
    if (!PlausibleSize(trailer.payloadSize, fileSize)) {
        result.status = PayloadStatus::Damaged;
        return result;
    }
    const qint64 start = fileSize - kPayloadTrailerSize - trailer.payloadSize;
    QByteArray payload;
    if (!file.seek(start) || (payload = file.read(trailer.payloadSize)).size() != trailer.payloadSize) {
        result.status = PayloadStatus::Unreadable;
        return result;
    }
    result.programSize = start;
    if (Sha256(payload) != trailer.digest) {
        result.status = PayloadStatus::DigestMismatch;
        return result;
    }
    result.status = PayloadStatus::Ok;
    result.sha256 = trailer.digest;
    result.data = std::move(payload);
    return result;
}

QString OwnExecutablePath() {
    // The link names the file the kernel started, even when the program was started through a symlink.
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

Payload ReadOwnPayload() {
    return ReadAppendedPayload(QStringLiteral("/proc/self/exe"));
}

bool WriteFileAtomically(const QString& path, QByteArrayView bytes, bool executable) {
    // The temporary file is a new name of our own (O_EXCL, O_NOFOLLOW): a link planted at that name, or at
    // the output path, is never written through; the rename then replaces the output path itself, a
    // symbolic link there included, and never the file a link points to.
    const QByteArray target = QFile::encodeName(path);
    const mode_t mode = executable ? 0755 : 0644;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray temporary = target + ".tmp-" + QByteArray::number(static_cast<qint64>(::getpid())) +
                                     "-" + QByteArray::number(attempt);
        const int fd =
            ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        bool written = true;
        for (qsizetype done = 0; written && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            written = n > 0;
            done += written ? n : 0;
        }
        // The mode is set on the open file, whatever the umask made of it.
        written = written && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
        written = ::close(fd) == 0 && written;
        if (!written || ::rename(temporary.constData(), target.constData()) != 0) {
            ::unlink(temporary.constData());
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace fwu::platform
