// A Windows icon file made of PNG pictures: the icon directory (one entry per size) followed by the PNG
// streams as they are, which Windows reads since Vista. The build makes the program's icon this way from
// the same pictures the Linux package installs, so the two never drift apart.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Bytes.h"

namespace fwu::tools {

struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size a PNG stream declares in its header chunk; nothing when the bytes are not a PNG stream.
std::optional<PngSize> ReadPngSize(ByteView png);

// The icon file holding `pictures` in the given order; nothing (with `error` said) when one of them is not a
// PNG stream, not square, or larger than the 256 pixels an icon entry can name.
std::optional<Bytes> MakeIconFile(const std::vector<Bytes>& pictures, std::string& error);

}  // namespace fwu::tools
