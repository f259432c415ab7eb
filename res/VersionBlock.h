// The version block: a fixed 164-byte record in the program's initialised data that names the carried
// firmware file, the router model and the release date. The packing tool finds it by its markers and
// rewrites it in a copy of the program, so the program must read it from memory at run time.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace fwu {

inline constexpr std::size_t kVersionBlockSize = 164;
inline constexpr std::size_t kVersionFieldWidth = 48;
inline constexpr std::size_t kStartMarkerOffset = 0;
inline constexpr std::size_t kReservedOffset = 8;
inline constexpr std::size_t kFileNameOffset = 12;
inline constexpr std::size_t kModelOffset = 60;
inline constexpr std::size_t kReleaseDateOffset = 108;
inline constexpr std::size_t kEndMarkerOffset = 156;
inline constexpr std::string_view kStartMarker{"VERSIONS", 8};
inline constexpr std::string_view kEndMarker{"ENDING\0\0", 8};

using VersionBlockBytes = std::array<unsigned char, kVersionBlockSize>;

// A copy of the program's own block as it is in memory now (never the build-time constants).
VersionBlockBytes ReadOwnVersionBlock();

}  // namespace fwu
