#include "tools/icon-pack/IconFile.h"

#include <algorithm>
#include <array>

namespace fwu::tools {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::uint32_t kLargestIcon = 256;

std::uint32_t BigEndian32(ByteView bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | static_cast<std::uint32_t>(bytes[at + 3]);
}

void PutLittleEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

}  // namespace

std::optional<PngSize> ReadPngSize(ByteView png) {
    // Signature, then the IHDR chunk: length 13, type, width, height.
    constexpr std::size_t kHeaderEnd = 8 + 4 + 4 + 8;
    if (png.size() < kHeaderEnd || !std::equal(kPngSignature.begin(), kPngSignature.end(), png.begin()) ||
        BigEndian32(png, 8) != 13 || BigEndian32(png, 12) != 0x49484452 /* "IHDR" */) {
        return std::nullopt;
    }
    return PngSize{BigEndian32(png, 16), BigEndian32(png, 20)};
}

std::optional<Bytes> MakeIconFile(const std::vector<Bytes>& pictures, std::string& error) {
    Bytes out;
    PutLittleEndian(out, 0, 2);  // reserved
    PutLittleEndian(out, 1, 2);  // an icon, not a cursor
    PutLittleEndian(out, static_cast<std::uint32_t>(pictures.size()), 2);
    std::size_t offset = kDirectoryHeader + kDirectoryEntry * pictures.size();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::optional<PngSize> size = ReadPngSize(pictures[i]);
        const std::string which = "picture " + std::to_string(i + 1);
        if (!size) {
            error = which + " is not a PNG stream";
            return std::nullopt;
        }
        if (size->width != size->height || size->width == 0 || size->width > kLargestIcon) {
            error = which + " is not a square of 1 to 256 pixels";
            return std::nullopt;
        }
        // 256 is written as 0: the entry has one byte for each side.
        out.push_back(static_cast<std::uint8_t>(size->width % kLargestIcon));
        out.push_back(static_cast<std::uint8_t>(size->height % kLargestIcon));
        out.push_back(0);            // no palette
        out.push_back(0);            // reserved
        PutLittleEndian(out, 1, 2);  // colour planes
        PutLittleEndian(out, 32, 2);
        PutLittleEndian(out, static_cast<std::uint32_t>(pictures[i].size()), 4);
        PutLittleEndian(out, static_cast<std::uint32_t>(offset), 4);
        offset += pictures[i].size();
    }
    for (const Bytes& picture : pictures) {
        out.insert(out.end(), picture.begin(), picture.end());
    }
    return out;
}

}  // namespace fwu::tools
