// The art check's comparison: pictures that show the same thing pass whatever wrote their bytes; a
// changed size, transparent index or more than a few pixels fail.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "tools/skin-art/SamePicture.h"

namespace {

using fwu::skinart::FileDifference;
using fwu::skinart::PictureDifference;

QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 11 % 256, (x + y) % 256, x == 0 ? 0 : 255));
        }
    }
    return image;
}

QByteArray Png(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", quality);
    return bytes;
}

QImage Indexed(int transparentIndex) {
    QImage image(8, 8, QImage::Format_Indexed8);
    QList<QRgb> table = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0)};
    table[transparentIndex] = qRgba(0, 0, 0, 0);
    image.setColorTable(table);
    image.fill(1);
    return image;
}

TEST(SamePicture, TellsWhatAPersonWouldSee) {
    const QImage base = Gradient(16, 16);
    QImage shaded = base;  // one edge pixel a few steps lighter, as another rasteriser may draw it
    shaded.setPixel(3, 3, base.pixel(3, 3) + 0x000A0A0A);
    QImage onePixel = base;
    onePixel.setPixel(5, 5, qRgb(255, 255, 255));
    QImage twoPixels = onePixel;
    twoPixels.setPixel(6, 6, qRgb(255, 255, 255));
    QImage lostTransparency = base;
    for (int y = 0; y < 16; ++y) {
        lostTransparency.setPixel(0, y, qRgba(0, 0, 0, 255));
    }

    struct Case {
        const char* name;
        QImage drawn;
        QImage committed;
        bool same;
    } const cases[] = {
        {"identical", base, base, true},
        {"a pixel shaded a little", shaded, base, true},
        {"one pixel of 256 replaced", onePixel, base, true},
        {"two pixels of 256 replaced", twoPixels, base, false},
        {"transparent column made opaque", lostTransparency, base, false},
        {"other size", Gradient(16, 15), base, false},
        {"transparent index moved", Indexed(2), Indexed(0), false},
        {"nothing decoded", QImage(), base, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PictureDifference(c.drawn, c.committed).isEmpty(), c.same) << c.name;
    }
}

TEST(SamePicture, PngBytesOfAnotherCompressionCountAsTheSame) {
    const QImage image = Gradient(32, 32);
    const QByteArray fast = Png(image, 100);
    const QByteArray small = Png(image, 0);
    ASSERT_NE(fast, small);
    EXPECT_EQ(FileDifference(fast, small), QString());
    EXPECT_EQ(FileDifference(fast, QByteArray("not a picture")), QStringLiteral("does not decode"));
}

}  // namespace
