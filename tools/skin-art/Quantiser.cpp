// Palette building and nearest-colour mapping. Every choice is ordered (frequency, then colour value),
// so the same picture always gives the same table and the same bytes.
#include "tools/skin-art/Quantiser.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace fwu::skinart {
namespace {

QRgb OntoMatte(QRgb pixel, QRgb matte) {
    const int alpha = qAlpha(pixel);
    if (alpha == 255) {
        return qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
    }
    // Straight (not premultiplied) ARGB: blend the colour over the matte by its coverage.
    auto blend = [alpha](int top, int below) { return (top * alpha + below * (255 - alpha) + 127) / 255; };
    return qRgb(blend(qRed(pixel), qRed(matte)), blend(qGreen(pixel), qGreen(matte)),
                blend(qBlue(pixel), qBlue(matte)));
}

int Distance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

IndexedPicture Quantise(const QImage& image, const PaletteLayout& layout) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const bool transparent = layout.transparentIndex >= 0;
    const QRgb excluded = qRgb(qRed(layout.transparentColour), qGreen(layout.transparentColour),
                               qBlue(layout.transparentColour));

    // Visible colours and how often each occurs.
    const std::size_t pixelCount = static_cast<std::size_t>(argb.width()) * argb.height();
    std::vector<QRgb> visible(pixelCount);
    std::vector<bool> clear(pixelCount, false);
    std::map<QRgb, int> counts;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * argb.width() + x;
            if (transparent && qAlpha(line[x]) == 0) {
                clear[i] = true;
                continue;
            }
            visible[i] = OntoMatte(line[x], layout.matte);
            ++counts[visible[i]];
        }
    }

    // Table: key colours, then the most frequent others; the transparent slot is kept free.
    std::vector<QRgb> palette(static_cast<std::size_t>(layout.tableSize), qRgb(0, 0, 0));
    std::vector<bool> used(palette.size(), false);
    std::vector<int> freeSlots;
    for (int i = 0; i < layout.tableSize; ++i) {
        if (i != layout.transparentIndex) {
            freeSlots.push_back(i);
        }
    }
    if (transparent) {
        palette[static_cast<std::size_t>(layout.transparentIndex)] = excluded;
    }
    std::vector<QRgb> chosen;
    auto take = [&](QRgb colour) {
        if ((transparent && colour == excluded) || chosen.size() >= freeSlots.size() ||
            std::find(chosen.begin(), chosen.end(), colour) != chosen.end()) {
            return;
        }
        chosen.push_back(colour);
    };
    for (QRgb key : layout.keyColours) {
        take(qRgb(qRed(key), qGreen(key), qBlue(key)));
    }
    std::vector<std::pair<int, QRgb>> byFrequency;
    for (const auto& [colour, count] : counts) {
        byFrequency.emplace_back(-count, colour);
    }
    std::sort(byFrequency.begin(), byFrequency.end());
    for (const auto& entry : byFrequency) {
        take(entry.second);
    }
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        palette[static_cast<std::size_t>(freeSlots[i])] = chosen[i];
        used[static_cast<std::size_t>(freeSlots[i])] = true;
    }

    IndexedPicture picture;
    picture.width = argb.width();
    picture.height = argb.height();
    picture.palette = palette;
    picture.transparentIndex = layout.transparentIndex;
    picture.pixels.resize(visible.size());

    std::unordered_map<QRgb, std::uint8_t> nearest;
    auto lookup = [&](QRgb colour) {
        auto found = nearest.find(colour);
        if (found != nearest.end()) {
            return found->second;
        }
        int best = -1;
        int bestDistance = 0;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            if (!used[i]) {
                continue;
            }
            const int distance = Distance(colour, palette[i]);
            if (best < 0 || distance < bestDistance) {
                best = static_cast<int>(i);
                bestDistance = distance;
            }
        }
        const auto index = static_cast<std::uint8_t>(std::max(best, 0));
        nearest.emplace(colour, index);
        return index;
    };
    for (std::size_t i = 0; i < pixelCount; ++i) {
        picture.pixels[i] =
            clear[i] ? static_cast<std::uint8_t>(layout.transparentIndex) : lookup(visible[i]);
    }
    return picture;
}

}  // namespace fwu::skinart
