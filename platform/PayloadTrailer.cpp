// The trailer's layout and the checks of a packed file, in plain C++ (the same on every system).
#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/EmbeddedPayload.h"

namespace fwu::platform {
namespace {

constexpr std::size_t kDigestSize = 32;
constexpr std::size_t kTrailerBytes = static_cast<std::size_t>(kPayloadTrailerSize);

struct Trailer {
    std::int64_t payloadSize = 0;
    Sha256Digest digest{};
};

// Decodes a trailer; false when the bytes are not one.
bool DecodeTrailer(ByteView raw, Trailer& out) {
    if (raw.size() != kTrailerBytes || AsText(raw.subspan(8 + kDigestSize)) != kPayloadMagic) {
        return false;
    }
    std::uint64_t size = 0;
    for (int i = 7; i >= 0; --i) {
        size = size << 8 | raw[static_cast<std::size_t>(i)];
    }
    out.payloadSize = static_cast<std::int64_t>(size);
    std::copy_n(raw.begin() + 8, kDigestSize, out.digest.begin());
    return true;
}

// A trailer's size must leave room for itself in a file of `fileSize` bytes and stay within our bound.
bool PlausibleSize(std::int64_t payloadSize, std::int64_t fileSize) {
    return payloadSize >= 0 && payloadSize <= kMaxPayloadSize &&
           payloadSize <= fileSize - kPayloadTrailerSize;
}

// Fills `result` from a payload whose trailer said `trailer`: Ok with the bytes, or DigestMismatch.
void Check(Payload& result, const Trailer& trailer, Bytes payload) {
    if (Sha256Of(payload) != trailer.digest) {
        result.status = PayloadStatus::DigestMismatch;
        return;
    }
    result.status = PayloadStatus::Ok;
    result.sha256 = trailer.digest;
    result.data = std::move(payload);
}

}  // namespace

Bytes MakePayloadTrailer(ByteView payload) {
    Bytes trailer;
    trailer.reserve(kTrailerBytes);
    const auto size = static_cast<std::uint64_t>(payload.size());
    for (int i = 0; i < 8; ++i) {
        trailer.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    }
    const Sha256Digest digest = Sha256Of(payload);
    trailer.insert(trailer.end(), digest.begin(), digest.end());
    const ByteView magic = AsBytes(kPayloadMagic);
    trailer.insert(trailer.end(), magic.begin(), magic.end());
    return trailer;
}

Payload SplitPackedBytes(ByteView fileBytes) {
    Payload result;
    const auto fileSize = static_cast<std::int64_t>(fileBytes.size());
    result.programSize = fileSize;
    Trailer trailer;
    if (fileSize < kPayloadTrailerSize || !DecodeTrailer(fileBytes.last(kTrailerBytes), trailer)) {
        result.status = PayloadStatus::NoPayload;
        return result;
    }
    if (!PlausibleSize(trailer.payloadSize, fileSize)) {
        result.status = PayloadStatus::Damaged;
        return result;
    }
    const std::int64_t start = fileSize - kPayloadTrailerSize - trailer.payloadSize;
    const ByteView payload =
        fileBytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(trailer.payloadSize));
    result.programSize = start;
    Check(result, trailer, Bytes(payload.begin(), payload.end()));
    return result;
}

Payload ReadAppendedPayload(const std::filesystem::path& path) {
    Payload result;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open() || !file.seekg(0, std::ios::end)) {
        return result;
    }
    const std::int64_t fileSize = file.tellg();
    if (fileSize < 0) {
        return result;
    }
    result.programSize = fileSize;
    Trailer trailer;
    Bytes raw(kTrailerBytes);
    if (fileSize < kPayloadTrailerSize || !file.seekg(fileSize - kPayloadTrailerSize) ||
        !file.read(reinterpret_cast<char*>(raw.data()), kPayloadTrailerSize) ||
        !DecodeTrailer(raw, trailer)) {
        result.status = PayloadStatus::NoPayload;
        return result;
    }
    if (!PlausibleSize(trailer.payloadSize, fileSize)) {
        result.status = PayloadStatus::Damaged;
        return result;
    }
    const std::int64_t start = fileSize - kPayloadTrailerSize - trailer.payloadSize;
    Bytes payload(static_cast<std::size_t>(trailer.payloadSize));
    if (!file.seekg(start) || !file.read(reinterpret_cast<char*>(payload.data()), trailer.payloadSize)) {
        result.status = PayloadStatus::Unreadable;
        return result;
    }
    result.programSize = start;
    Check(result, trailer, std::move(payload));
    return result;
}

}  // namespace fwu::platform
