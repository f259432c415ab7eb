// Turns a drawn picture into palette indices for the GIF writer: a table of a fixed size that holds the
// picture's key colours first and then its most frequent other colours, with an optional transparent
// colour at a fixed index.
#pragma once

#include <QImage>
#include <QRgb>
#include <vector>

#include "tools/skin-art/GifEncoder.h"

namespace fwu::skinart {

struct PaletteLayout {
    int tableSize = 256;           // 2, 4, 16 or 256 entries
    std::vector<QRgb> keyColours;  // always in the table, in this order, ahead of the rest
    int transparentIndex = -1;     // where `transparentColour` sits; -1 for an opaque picture
    QRgb transparentColour = qRgb(192, 192, 192);
    QRgb matte = qRgb(255, 255, 255);  // what half-covered pixels are blended onto
};

// Pixels with alpha 0 become the transparent index (or the matte in an opaque picture); other pixels
// are blended onto the matte and take the nearest table entry other than the transparent one, so no
// drawn pixel can ever show through.
IndexedPicture Quantise(const QImage& image, const PaletteLayout& layout);

}  // namespace fwu::skinart
