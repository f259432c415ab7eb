// Reads the facts a test checks straight from a GIF file's bytes: logical screen, global colour table,
// the transparent index of a Graphic Control Extension and the interlace flag of the first image.
#pragma once

#include <QByteArray>
#include <QRgb>
#include <vector>

namespace fwu::test {

struct GifFacts {
    bool valid = false;  // a GIF89a file whose blocks could be walked up to the first image
    int width = 0;
    int height = 0;
    int tableSize = 0;  // 0 when there is no global colour table
    std::vector<QRgb> table;
    int transparentIndex = -1;  // -1 without a Graphic Control Extension that sets one
    bool interlaced = false;
};

GifFacts ReadGifFacts(const QByteArray& bytes);

}  // namespace fwu::test
