// The firmware version a router reports after it has installed an image: read from the image's header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fwu::sim {

// Bytes 11, 12 and 13 of the image as "v%d.%.2d.%.2d"; "v%d.%.2d" when byte 13 is 0. Nothing when the
// image is shorter than 14 bytes.
std::optional<std::string> VersionFromImageHeader(std::string_view image);

}  // namespace fwu::sim
