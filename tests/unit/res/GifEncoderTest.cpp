// The GIF writer against an independent decoder: whatever it writes, Qt's GIF reader must give back the
// same pixels, for every table size, with and without interlace, and across LZW table restarts.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <string>

#include "tests/unit/res/GifFacts.h"
#include "tools/skin-art/GifEncoder.h"

namespace {

using fwu::skinart::EncodeGif;
using fwu::skinart::IndexedPicture;

enum class Pattern { Noise, OneColour, Stripes };

struct RoundTrip {
    std::string name;
    int width;
    int height;
    int tableSize;
    int transparentIndex;
    bool interlaced;
    Pattern pattern;
};

IndexedPicture MakePicture(const RoundTrip& c) {
    IndexedPicture picture;
    picture.width = c.width;
    picture.height = c.height;
    picture.transparentIndex = c.transparentIndex;
    picture.interlaced = c.interlaced;
    for (int i = 0; i < c.tableSize; ++i) {
        picture.palette.push_back(qRgb((i * 37) & 0xFF, (i * 91 + 13) & 0xFF, 255 - i));
    }
    std::uint32_t seed = 12345;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            int index = 0;
            switch (c.pattern) {
                case Pattern::Noise:
                    seed = seed * 1664525u + 1013904223u;
                    index = static_cast<int>(seed >> 24) % c.tableSize;
                    break;
                case Pattern::OneColour:
                    index = c.tableSize - 1;
                    break;
                case Pattern::Stripes:
                    index = (y * 3 + x / 5) % c.tableSize;
                    break;
            }
            picture.pixels.push_back(static_cast<std::uint8_t>(index));
        }
    }
    return picture;
}

void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << c.name;
}

class GifRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(GifRoundTrip, QtReadsBackEveryPixel) {
    const RoundTrip& c = GetParam();
    const IndexedPicture picture = MakePicture(c);
    QByteArray gif = EncodeGif(picture);
    ASSERT_FALSE(gif.isEmpty());

    const fwu::test::GifFacts facts = fwu::test::ReadGifFacts(gif);
    ASSERT_TRUE(facts.valid);
    EXPECT_EQ(facts.tableSize, c.tableSize);
    EXPECT_EQ(facts.transparentIndex, c.transparentIndex);
    EXPECT_EQ(facts.interlaced, c.interlaced);
    EXPECT_TRUE(gif.endsWith(QByteArray("\0\x3B", 2)));

    QBuffer buffer(&gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QImage decoded = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(decoded.size(), QSize(c.width, c.height));

    int wrong = 0;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const int index = picture.pixels[static_cast<std::size_t>(y) * c.width + x];
            const QRgb got = decoded.pixel(x, y);
            const bool ok = index == c.transparentIndex
                                ? qAlpha(got) == 0
                                : got == (picture.palette[static_cast<std::size_t>(index)] | 0xFF000000u);
            if (!ok && wrong++ == 0) {
                ADD_FAILURE() << "first wrong pixel at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Encoder, GifRoundTrip,
    testing::Values(RoundTrip{"single_pixel_two_colours", 1, 1, 2, -1, false, Pattern::OneColour},
                    RoundTrip{"two_colour_noise", 64, 40, 2, -1, true, Pattern::Noise},
                    RoundTrip{"four_colours_not_interlaced", 105, 48, 4, -1, false, Pattern::Noise},
                    RoundTrip{"sixteen_with_transparent_slot", 3, 28, 16, 8, true, Pattern::Stripes},
                    // Qt's reader misplaces the rows of interlaced pictures under 5 rows high; the row
                    // order for those is checked on its own below.
                    RoundTrip{"interlace_short_heights", 7, 5, 16, -1, true, Pattern::Stripes},
                    RoundTrip{"interlace_two_passes", 9, 6, 16, -1, true, Pattern::Noise},
                    RoundTrip{"interlace_one_column", 1, 17, 4, 1, true, Pattern::Noise},
                    // Noise in 256 colours fills the 4096-code table many times over.
                    RoundTrip{"table_restarts", 300, 300, 256, 255, true, Pattern::Noise},
                    // One colour builds ever longer strings and reaches 12-bit codes.
                    RoundTrip{"long_runs", 560, 420, 256, -1, true, Pattern::OneColour},
                    RoundTrip{"stripes_full_table", 407, 210, 256, -1, true, Pattern::Stripes}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

TEST(GifEncoder, RefusesMalformedPictures) {
    const RoundTrip base{"", 4, 4, 4, -1, true, Pattern::Stripes};
    ASSERT_FALSE(EncodeGif(MakePicture(base)).isEmpty());

    IndexedPicture noTable = MakePicture(base);
    noTable.palette.resize(3);
    IndexedPicture bigTable = MakePicture(base);
    bigTable.palette.resize(512);
    IndexedPicture shortPixels = MakePicture(base);
    shortPixels.pixels.pop_back();
    IndexedPicture outsideTable = MakePicture(base);
    outsideTable.pixels[5] = 4;
    IndexedPicture badTransparent = MakePicture(base);
    badTransparent.transparentIndex = 4;
    IndexedPicture empty = MakePicture(base);
    empty.width = 0;
    empty.pixels.clear();
    for (const IndexedPicture* bad :
         {&noTable, &bigTable, &shortPixels, &outsideTable, &badTransparent, &empty}) {
        EXPECT_TRUE(EncodeGif(*bad).isEmpty());
    }
}

TEST(GifEncoder, InterlacedRowsFollowTheFourPasses) {
    using fwu::skinart::InterlacedRowOrder;
    EXPECT_EQ(InterlacedRowOrder(1), (std::vector<int>{0}));
    EXPECT_EQ(InterlacedRowOrder(3), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(InterlacedRowOrder(4), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(InterlacedRowOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(GifEncoder, EmptyStreamIsClearThenEnd) {
    // Clear code 4 and end code 5, three bits each, least significant bit first: 100 then 101.
    EXPECT_EQ(fwu::skinart::LzwEncode({}, 2), QByteArray("\x2C", 1));
}

}  // namespace
