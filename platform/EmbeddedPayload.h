// The firmware image travels appended to the end of the program's own executable file, followed by a
// trailer that gives its size and SHA-256 digest. This file reads and writes that layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/Bytes.h"
#include "platform/Sha256.h"

namespace fwu::platform {

// Trailer: 8-byte little-endian payload size, 32-byte SHA-256 of the payload, 8-byte magic.
inline constexpr std::int64_t kPayloadTrailerSize = 48;
inline constexpr std::string_view kPayloadMagic{"FWUIMG01", 8};
// Upper bound on a payload we are willing to load: far above any image of this router, far below memory.
inline constexpr std::int64_t kMaxPayloadSize = 64LL * 1024 * 1024;

enum class PayloadStatus {
    Ok,
    Unreadable,      // the file cannot be opened or read
    NoPayload,       // the file carries no trailer
    Damaged,         // a trailer is present but its size is impossible
    DigestMismatch,  // the payload's bytes do not match the digest in the trailer
};

struct Payload {
    PayloadStatus status = PayloadStatus::Unreadable;
    Bytes data;                    // the payload when status is Ok, else empty
    std::int64_t programSize = 0;  // bytes of the file before the payload (the whole file when there is none)
    Sha256Digest sha256{};         // the payload's SHA-256, as checked against the trailer, when status is Ok
};

// The trailer that follows `payload` in a packed file.
Bytes MakePayloadTrailer(ByteView payload);

// Reads and checks the payload appended to the given file.
Payload ReadAppendedPayload(const std::filesystem::path& path);

// Splits a whole file's bytes into program and payload, checking the digest; used by the packing tools.
Payload SplitPackedBytes(ByteView fileBytes);

// The path of the running program's own executable file; empty when the system does not tell it.
std::filesystem::path OwnExecutablePath();

// Reads and checks the payload appended to the running program.
Payload ReadOwnPayload();

// Writes `bytes` to `path` through a temporary file in the same folder that is renamed into place, so a
// reader never sees a half-written file. `executable` sets the owner's, group's and others' run bits.
bool WriteFileAtomically(const std::filesystem::path& path, ByteView bytes, bool executable);

}  // namespace fwu::platform
