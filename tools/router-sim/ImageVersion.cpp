#include "tools/router-sim/ImageVersion.h"

#include <cstdio>

namespace fwu::sim {

std::optional<std::string> VersionFromImageHeader(std::string_view image) {
    if (image.size() < 14) {
        return std::nullopt;
    }
    const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(image[i])); };
    char text[32];
    if (byte(13) == 0) {
        std::snprintf(text, sizeof text, "v%d.%.2d", byte(11), byte(12));
    } else {
        std::snprintf(text, sizeof text, "v%d.%.2d.%.2d", byte(11), byte(12), byte(13));
    }
    return std::string(text);
}

}  // namespace fwu::sim
