// The pictures of the window face as the program reads them: through the resource system and Qt's GIF
// reader. Checks how each is stored (size, table, transparency, interlace) and that the face and page
// pictures leave the places of the window's labels, fields, buttons and bar where the window puts them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>

#include "tests/unit/res/GifFacts.h"

namespace {

const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kColumnBlue = qRgb(92, 97, 163);
const QPoint kContentOrigin(20, 176);

QByteArray PictureBytes(const char* type, int id) {
    QFile file(QStringLiteral(":/%1/%2.gif").arg(QLatin1String(type)).arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage Decode(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

QImage Picture(const char* type, int id) {
    return Decode(PictureBytes(type, id));
}

struct Stored {
    const char* type;
    int id;
    int width;
    int height;
    int tableSize;
    int transparentIndex;  // -1: opaque
};

void PrintTo(const Stored& s, std::ostream* os) {
    *os << s.type << "/" << s.id;
}

class StoredPicture : public testing::TestWithParam<Stored> {};

TEST_P(StoredPicture, IsAnInterlacedGifOfItsSizeTableAndTransparency) {
    const Stored& want = GetParam();
    const QByteArray bytes = PictureBytes(want.type, want.id);
    ASSERT_FALSE(bytes.isEmpty()) << "missing from the resources";

    const fwu::test::GifFacts facts = fwu::test::ReadGifFacts(bytes);
    ASSERT_TRUE(facts.valid);
    EXPECT_EQ(facts.width, want.width);
    EXPECT_EQ(facts.height, want.height);
    EXPECT_EQ(facts.tableSize, want.tableSize);
    EXPECT_TRUE(facts.interlaced);
    EXPECT_EQ(facts.transparentIndex, want.transparentIndex);
    if (want.transparentIndex >= 0) {
        EXPECT_EQ(facts.table.at(static_cast<std::size_t>(want.transparentIndex)), kSilver);
    }

    const QImage image = Decode(bytes);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(want.width, want.height));
    int clearPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            clearPixels += qAlpha(image.pixel(x, y)) == 0 ? 1 : 0;
        }
    }
    if (want.transparentIndex < 0) {
        EXPECT_EQ(clearPixels, 0);
    } else if (std::string_view(want.type) == "CONTENTS") {
        EXPECT_GT(clearPixels, 0) << "an overlay page lets the panel show through around its ink";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, StoredPicture,
    testing::Values(Stored{"FRAME", 151, 560, 420, 256, -1}, Stored{"CONTENTS", 165, 407, 210, 256, 255},
                    Stored{"CONTENTS", 166, 407, 210, 256, 255}, Stored{"CONTENTS", 167, 390, 175, 256, 255},
                    Stored{"CONTENTS", 168, 400, 200, 256, -1}, Stored{"CONTENTS", 169, 390, 160, 256, -1},
                    Stored{"CONTENTS", 170, 407, 210, 2, -1}, Stored{"BAR", 171, 3, 28, 16, 8},
                    Stored{"BUTTON", 152, 105, 48, 256, -1}, Stored{"BUTTON", 153, 105, 48, 256, -1},
                    Stored{"BUTTON", 154, 45, 45, 256, -1}, Stored{"BUTTON", 155, 45, 45, 256, -1},
                    Stored{"BUTTON", 156, 105, 48, 256, -1}, Stored{"BUTTON", 157, 105, 48, 256, -1},
                    Stored{"BUTTON", 158, 105, 48, 256, -1}, Stored{"BUTTON", 159, 105, 48, 256, -1},
                    Stored{"BUTTON", 160, 105, 48, 256, -1}, Stored{"BUTTON", 161, 105, 48, 256, -1},
                    Stored{"BUTTON", 162, 105, 48, 256, -1}, Stored{"BUTTON", 163, 105, 48, 256, -1},
                    Stored{"BUTTON", 164, 105, 48, 4, -1}),
    [](const testing::TestParamInfo<Stored>& info) {
        return std::string(info.param.type) + "_" + std::to_string(info.param.id);
    });

// Colours of a rectangle (right and bottom exclusive); `accept` is asked for each pixel.
template <typename Accept>
int CountPixels(const QImage& image, const QRect& rect, Accept accept) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += accept(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

TEST(FacePicture, PanelColumnAndBandsLieWhereTheWindowExpectsThem) {
    const QImage face = Picture("FRAME", 151);
    ASSERT_EQ(face.size(), QSize(560, 420));
    EXPECT_EQ(face.pixel(200, 300), kWhite);
    EXPECT_EQ(face.pixel(500, 200), kColumnBlue);

    // The white panel covers exactly columns 10..427 and rows 170..385.
    const QRect panel(10, 170, 418, 216);
    EXPECT_EQ(CountPixels(face, panel, [](QRgb c) { return c != kWhite; }), 0);
    for (QPoint outside : {QPoint(9, 250), QPoint(428, 250), QPoint(200, 169), QPoint(200, 386)}) {
        EXPECT_NE(face.pixel(outside), kWhite) << outside.x() << "," << outside.y();
    }
    // Dark top and bottom bands, blue title band.
    for (QPoint dark : {QPoint(3, 3), QPoint(420, 60), QPoint(3, 416), QPoint(555, 416)}) {
        EXPECT_LT(qGray(face.pixel(dark)), 48) << dark.x() << "," << dark.y();
    }
    const QRgb title = face.pixel(3, 100);
    EXPECT_GT(qBlue(title), qRed(title) + 40);
}

TEST(FacePicture, ButtonSlotsAndEmptyPlateAreTheColumnBlue) {
    const QImage face = Picture("FRAME", 151);
    for (const QRect& slot : {QRect(440, 280, 105, 48), QRect(440, 330, 105, 48), QRect(500, 15, 45, 45)}) {
        EXPECT_EQ(CountPixels(face, slot, [](QRgb c) { return c != kColumnBlue; }), 0)
            << "slot at " << slot.x() << "," << slot.y();
    }
    const QImage empty = Picture("BUTTON", 164);
    EXPECT_EQ(CountPixels(empty, empty.rect(), [](QRgb c) { return c != kColumnBlue; }), 0);

    // Every other button's corners are column blue too, so it sits on the column without a seam.
    for (int id = 152; id <= 163; ++id) {
        const QImage button = Picture("BUTTON", id);
        ASSERT_FALSE(button.isNull()) << id;
        const QRect r = button.rect();
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
            EXPECT_EQ(button.pixel(corner), kColumnBlue) << id;
        }
    }
}

TEST(FacePicture, NormalAndHighlightedButtonsDiffer) {
    const int pairs[][2] = {{158, 159}, {163, 153}, {162, 152}, {160, 161}, {156, 157}, {154, 155}};
    for (const auto& pair : pairs) {
        EXPECT_NE(Picture("BUTTON", pair[0]), Picture("BUTTON", pair[1])) << pair[0];
    }
}

// Page pictures: places (client coordinates) that must stay free of ink, because labels or fields are
// put there, and places that must carry ink (captions, boxes, the bar frame).
struct PagePlaces {
    int id;
    std::vector<QRect> clear;
    std::vector<QRect> inked;
};

class PagePicture : public testing::TestWithParam<PagePlaces> {};

void PrintTo(const PagePlaces& p, std::ostream* os) {
    *os << "CONTENTS/" << p.id;
}

TEST_P(PagePicture, KeepsControlPlacesClearAndDrawsItsCaptions) {
    const PagePlaces& places = GetParam();
    const QImage page = Picture("CONTENTS", places.id);
    ASSERT_FALSE(page.isNull());
    const QRect bounds = page.rect().translated(kContentOrigin);
    auto isClear = [](QRgb c) { return qAlpha(c) == 0 || c == kWhite; };
    for (const QRect& client : places.clear) {
        ASSERT_TRUE(bounds.contains(client)) << client.x() << "," << client.y();
        EXPECT_EQ(CountPixels(page, client.translated(-kContentOrigin), [&](QRgb c) { return !isClear(c); }),
                  0)
            << "ink at client " << client.x() << "," << client.y();
    }
    for (const QRect& client : places.inked) {
        ASSERT_TRUE(bounds.contains(client)) << client.x() << "," << client.y();
        const QRect inPicture = client.translated(-kContentOrigin);
        EXPECT_GT(CountPixels(page, inPicture, [&](QRgb c) { return !isClear(c); }), 0)
            << "no ink at client " << client.x() << "," << client.y();
    }
}

// Every pixel of a one-pixel line is ink.
TEST(PagePicture, BarFrameLinesLieOnTheColumnsAndRowsOfTheBar) {
    const QImage page = Picture("CONTENTS", 168);
    auto dark = [](QRgb c) { return qGray(c) < 160; };
    const QRect lines[] = {QRect(59, 311, 1, 30), QRect(360, 311, 1, 30), QRect(59, 311, 302, 1),
                           QRect(59, 340, 302, 1)};
    for (const QRect& line : lines) {
        EXPECT_EQ(CountPixels(page, line.translated(-kContentOrigin), dark), line.width() * line.height());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PagePicture,
    testing::Values(
        PagePlaces{165, {QRect(140, 255, 120, 35)}, {QRect(24, 255, 114, 17), QRect(24, 272, 114, 18)}},
        PagePlaces{166, {}, {QRect(30, 180, 200, 40)}},
        PagePlaces{167,
                   {QRect(190, 236, 170, 89)},
                   {QRect(24, 236, 160, 17), QRect(24, 259, 160, 17), QRect(24, 283, 160, 17),
                    QRect(24, 308, 160, 17)}},
        PagePlaces{168,
                   {QRect(50, 273, 370, 37), QRect(200, 347, 60, 25), QRect(60, 312, 300, 28)},
                   {QRect(25, 180, 380, 40), QRect(59, 342, 40, 20), QRect(320, 342, 41, 20)}},
        PagePlaces{169,
                   {QRect(185, 238, 35, 25), QRect(230, 238, 35, 25), QRect(275, 238, 35, 25),
                    QRect(320, 238, 35, 25), QRect(185, 285, 170, 25), QRect(35, 332, 320, 4)},
                   {QRect(220, 238, 10, 25), QRect(265, 238, 10, 25), QRect(310, 238, 10, 25),
                    QRect(184, 237, 1, 27), QRect(355, 237, 1, 27), QRect(184, 284, 1, 27),
                    QRect(355, 284, 1, 27), QRect(24, 238, 155, 25), QRect(24, 285, 155, 25)}},
        PagePlaces{170, {QRect(20, 176, 407, 210)}, {}}),
    [](const testing::TestParamInfo<PagePlaces>& info) { return std::to_string(info.param.id); });

TEST(BarStrip, IsGreyAndOpaqueEverywhere) {
    const QImage strip = Picture("BAR", 171);
    ASSERT_EQ(strip.size(), QSize(3, 28));
    EXPECT_EQ(CountPixels(strip, strip.rect(),
                          [](QRgb c) {
                              return qAlpha(c) == 255 && qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) &&
                                     qRed(c) < 192;
                          }),
              3 * 28);
}

TEST(Icon, IsASquarePictureInTheResources) {
    QImageReader reader(QStringLiteral(":/ICON/150.png"));
    const QImage icon = reader.read();
    ASSERT_FALSE(icon.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(icon.width(), icon.height());
    EXPECT_TRUE(icon.width() == 32 || icon.width() == 48);
}

}  // namespace
