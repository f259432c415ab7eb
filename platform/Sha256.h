// SHA-256 of a byte string, in plain C++: the carried image's digest is checked with it on every system.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Bytes.h"

namespace fwu::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// Hashes a stream of bytes fed in pieces; Finish answers the digest of all of them once.
class Sha256 {
public:
    Sha256();
    void Add(ByteView bytes);
    Sha256Digest Finish();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state;
    std::array<std::uint8_t, 64> pending{};
    std::size_t pendingSize = 0;
    std::uint64_t totalBytes = 0;
};

Sha256Digest Sha256Of(ByteView bytes);

// The digest in lower-case hexadecimal, 64 characters.
std::string HexDigest(const Sha256Digest& digest);

}  // namespace fwu::platform
