// A small GIF89a writer for the pictures of the window face: one image, a global colour table, LZW
// compressed, optionally interlaced, optionally with a transparent index in a Graphic Control Extension.
#pragma once

#include <QByteArray>
#include <QRgb>
#include <cstdint>
#include <vector>

namespace fwu::skinart {

// A picture as palette indices, row by row from the top.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height indices into `palette`
    std::vector<QRgb> palette;         // 2, 4, 8, ... 256 entries (alpha ignored)
    int transparentIndex = -1;         // -1: opaque picture, no Graphic Control Extension
    bool interlaced = true;
};

// Code size the LZW stream starts from for a colour table of the given size (at least 2, as GIF asks).
int LzwMinimumCodeSize(int tableSize);

// The LZW code stream of `indices` (each below 1 << minCodeSize), packed least significant bit first,
// starting with a clear code and ending with the end-of-information code; not yet cut into sub-blocks.
QByteArray LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize);

// Rows in the order an interlaced GIF stores them: every 8th from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
std::vector<int> InterlacedRowOrder(int height);

// The whole GIF89a file, or an empty array when the picture is not well formed (size out of range,
// pixel count not width * height, table size not a power of two from 2 to 256, an index outside the
// table, a transparent index outside the table).
QByteArray EncodeGif(const IndexedPicture& picture);

}  // namespace fwu::skinart
