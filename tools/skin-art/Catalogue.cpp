// Which pictures the face needs, and how each one's colour table is laid out.
#include "tools/skin-art/Artwork.h"

namespace fwu::skinart {
namespace {

PaletteLayout Opaque(int tableSize, std::vector<QRgb> keys) {
    PaletteLayout layout;
    layout.tableSize = tableSize;
    layout.keyColours = std::move(keys);
    return layout;
}

// Overlay pictures: silver is the transparent colour; half-covered edges are blended onto white, the
// panel they are drawn over.
PaletteLayout Overlay(int tableSize, int silverIndex, std::vector<QRgb> keys) {
    PaletteLayout layout = Opaque(tableSize, std::move(keys));
    layout.transparentIndex = silverIndex;
    layout.transparentColour = colour::kSilver.rgb();
    return layout;
}

}  // namespace

std::vector<SkinPicture> DrawCatalogue() {
    const QRgb white = colour::kWhite.rgb();
    const QRgb ink = colour::kInk.rgb();
    const QRgb column = colour::kColumnBlue.rgb();
    const std::vector<QRgb> faceKeys = {white,
                                        column,
                                        colour::kNearBlack.rgb(),
                                        colour::kTitleBlue.rgb(),
                                        colour::kBandBlue.rgb(),
                                        colour::kRimLight.rgb()};
    const std::vector<QRgb> pageKeys = {white, ink, colour::kHeading.rgb(), colour::kWarning.rgb()};
    const std::vector<QRgb> buttonKeys = {column, white};

    std::vector<SkinPicture> pictures;
    auto add = [&pictures](const char* type, int id, QImage image, PaletteLayout layout) {
        pictures.push_back({QString::fromLatin1(type), id, std::move(image), std::move(layout)});
    };
    add("FRAME", 151, DrawFrame(), Opaque(256, faceKeys));
    add("CONTENTS", 165, DrawWelcome(), Overlay(256, 255, pageKeys));
    add("CONTENTS", 166, DrawCongratulations(), Overlay(256, 255, pageKeys));
    add("CONTENTS", 167, DrawVerify(), Overlay(256, 255, pageKeys));
    add("CONTENTS", 168, DrawProgress(), Opaque(256, pageKeys));
    add("CONTENTS", 169, DrawLogin(), Opaque(256, pageKeys));
    add("CONTENTS", 170, DrawBlankPanel(), Opaque(2, {white, qRgb(0, 0, 0)}));
    add("BAR", 171, DrawBarStrip(), Overlay(16, 8, {}));

    struct Plate {
        const char* caption;
        int normal;
        int highlighted;
    };
    const Plate plates[] = {{"Next", 158, 159},
                            {"Back", 163, 153},
                            {"Upgrade", 162, 152},
                            {"Retry", 160, 161},
                            {"Exit", 156, 157}};
    for (const Plate& plate : plates) {
        add("BUTTON", plate.normal, DrawButton(QString::fromLatin1(plate.caption), false),
            Opaque(256, buttonKeys));
        add("BUTTON", plate.highlighted, DrawButton(QString::fromLatin1(plate.caption), true),
            Opaque(256, buttonKeys));
    }
    add("BUTTON", 154, DrawCloseButton(false), Opaque(256, buttonKeys));
    add("BUTTON", 155, DrawCloseButton(true), Opaque(256, buttonKeys));
    add("BUTTON", 164, DrawEmptyPlate(), Opaque(4, {column, white, qRgb(0, 0, 0), ink}));
    return pictures;
}

}  // namespace fwu::skinart
