// Bytes as the core holds them: an owning buffer and a read-only view of one, in the C++ library's own
// types, so the code that handles images and trailers builds on any system.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace fwu {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// The bytes of a text, seen as bytes (no copy).
inline ByteView AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The bytes seen as a text (no copy).
inline std::string_view AsText(ByteView bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

inline Bytes ToBytes(std::string_view text) {
    const ByteView view = AsBytes(text);
    return Bytes(view.begin(), view.end());
}

}  // namespace fwu
