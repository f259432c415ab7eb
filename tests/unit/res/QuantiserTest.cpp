// Palette layout and colour mapping of the quantiser that turns drawn pictures into GIF indices.
#include <gtest/gtest.h>

#include <QImage>

#include "tools/skin-art/Quantiser.h"

namespace {

using fwu::skinart::PaletteLayout;
using fwu::skinart::Quantise;

const QRgb kSilver = qRgb(192, 192, 192);

PaletteLayout StripLayout() {
    PaletteLayout layout;
    layout.tableSize = 16;
    layout.transparentIndex = 8;
    layout.keyColours = {qRgb(10, 10, 10), qRgb(20, 20, 20)};
    return layout;
}

TEST(Quantiser, KeepsTheTransparentSlotForUncoveredPixelsOnly) {
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));    // uncovered
    image.setPixel(1, 0, kSilver);              // drawn silver must stay visible
    image.setPixel(2, 0, qRgba(0, 0, 0, 128));  // half covered: blended onto white
    image.setPixel(3, 0, qRgb(10, 10, 10));

    const auto picture = Quantise(image, StripLayout());
    ASSERT_EQ(picture.palette.size(), 16u);
    EXPECT_EQ(picture.transparentIndex, 8);
    EXPECT_EQ(picture.palette[8] & 0xFFFFFF, kSilver & 0xFFFFFF);
    EXPECT_EQ(picture.pixels[0], 8);
    EXPECT_NE(picture.pixels[1], 8);
    EXPECT_EQ(picture.palette[picture.pixels[2]] & 0xFFFFFF, qRgb(127, 127, 127) & 0xFFFFFF);
    // Key colours take the first slots in their order.
    EXPECT_EQ(picture.pixels[3], 0);
    EXPECT_EQ(picture.palette[1] & 0xFFFFFF, qRgb(20, 20, 20) & 0xFFFFFF);
}

TEST(Quantiser, KeyColoursSkipTheTransparentSlot) {
    PaletteLayout layout = StripLayout();
    layout.keyColours.clear();
    for (int i = 0; i < 12; ++i) {
        layout.keyColours.push_back(qRgb(i * 10, 0, 0));
    }
    const auto picture = Quantise(QImage(1, 1, QImage::Format_ARGB32), layout);
    EXPECT_EQ(picture.palette[7] & 0xFFFFFF, qRgb(70, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(picture.palette[9] & 0xFFFFFF, qRgb(80, 0, 0) & 0xFFFFFF);
}

TEST(Quantiser, MoreColoursThanTheTableMapToTheNearestAndKeepTheCommonOnesExact) {
    // 300 shades of grey in a 256-entry table; shade 0 covers most of the picture.
    QImage image(300, 2, QImage::Format_ARGB32);
    for (int x = 0; x < 300; ++x) {
        const int level = x * 255 / 299;
        image.setPixel(x, 0, qRgb(level, level, 0));
        image.setPixel(x, 1, qRgb(0, 0, 0));
    }
    PaletteLayout layout;
    layout.tableSize = 256;
    const auto picture = Quantise(image, layout);
    EXPECT_EQ(picture.palette[picture.pixels[300]] & 0xFFFFFF, 0u);
    for (int x = 0; x < 300; ++x) {
        const QRgb want = image.pixel(x, 0);
        const QRgb got = picture.palette[picture.pixels[static_cast<std::size_t>(x)]];
        EXPECT_LE(std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)), 2) << x;
    }
}

}  // namespace
