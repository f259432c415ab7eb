// The image buttons' slots, hit test, picture sets and per-page selection.
#include "ui/ImageButtons.h"

#include <QPainter>

#include "ui/SkinImage.h"

namespace fwu {
namespace {

struct PictureSet {
    int normal;
    int highlighted;
};
constexpr std::array<PictureSet, kButtonSetCount> kPictureSets{{
    {158, 159},  // Next
    {163, 153},  // Back
    {162, 152},  // Upgrade
    {160, 161},  // Retry
    {156, 157},  // Exit
    {154, 155},  // close cross
    {164, 164},  // empty place
}};

constexpr std::array<std::array<int, 3>, 5> kSetsByPage{{
    {0, 4, 5},  // welcome: Next, Exit, close
    {0, 1, 5},  // login: Next, Back, close
    {2, 1, 5},  // verify: Upgrade, Back, close
    {6, 3, 5},  // progress: empty, Retry, close
    {6, 4, 5},  // done: empty, Exit, close
}};

}  // namespace

QRect ButtonRect(int slot) {
    switch (slot) {
        case BTN_FORWARD:
            return QRect(440, 280, 105, 48);
        case BTN_SECOND:
            return QRect(440, 330, 105, 48);
        case BTN_CLOSE:
            return QRect(500, 15, 45, 45);
        default:
            return {};
    }
}

int HitTestButton(int x, int y) {
    for (int slot = BTN_FORWARD; slot <= BTN_CLOSE; ++slot) {
        if (ButtonRect(slot).contains(x, y)) {
            return slot;
        }
    }
    return 0;
}

int ButtonPictureId(int set, bool highlighted) {
    if (set < 0 || set >= kButtonSetCount) {
        return 0;
    }
    const PictureSet& pictures = kPictureSets[static_cast<std::size_t>(set)];
    return highlighted ? pictures.highlighted : pictures.normal;
}

std::array<int, 3> ButtonSetsForPage(int page, std::array<int, 3> current) {
    if (page < 0 || page >= static_cast<int>(kSetsByPage.size())) {
        return current;
    }
    return kSetsByPage[static_cast<std::size_t>(page)];
}

bool DrawButton(QPainter& painter, int slot, const std::array<int, 3>& sets, bool highlighted) {
    if (slot < BTN_FORWARD || slot > BTN_CLOSE) {
        return false;
    }
    const int id = ButtonPictureId(sets[static_cast<std::size_t>(slot - 1)], highlighted);
    if (id == 0) {
        return false;
    }
    // Button pictures are not kept: decoded for this draw and freed with it.
    const std::optional<QImage> picture = LoadSkinImage(id, kButtonType);
    if (!picture) {
        return false;
    }
    const QRect rect = ButtonRect(slot);
    DrawSkinImage(picture, painter, rect.x(), rect.y());
    return true;
}

}  // namespace fwu
