// The image buttons' slots, hit test, picture sets and per-page selection.
#include "ui/ImageButtons.h"

#include <QPainter>

#include "ui/SkinImage.h"

namespace fwu {
namespace {

// The "BUTTON" pictures: each button's normal and highlighted look, and the empty place.
constexpr int kUpgradeHotPicture = 152;
constexpr int kBackHotPicture = 153;
constexpr int kCloseButtonPicture = 154;
constexpr int kCloseHotPicture = 155;
constexpr int kExitButtonPicture = 156;
constexpr int kExitHotPicture = 157;
constexpr int kNextButtonPicture = 158;
constexpr int kNextHotPicture = 159;
constexpr int kRetryButtonPicture = 160;
constexpr int kRetryHotPicture = 161;
constexpr int kUpgradeButtonPicture = 162;
constexpr int kBackButtonPicture = 163;
constexpr int kEmptyPlacePicture = 164;

struct PictureSet {
    int normal;
    int highlighted;
};
constexpr std::array<PictureSet, kButtonSetCount> kPictureSets{{
    {kNextButtonPicture, kNextHotPicture},
    {kBackButtonPicture, kBackHotPicture},
    {kUpgradeButtonPicture, kUpgradeHotPicture},
    {kRetryButtonPicture, kRetryHotPicture},
    {kExitButtonPicture, kExitHotPicture},
    {kCloseButtonPicture, kCloseHotPicture},
    {kEmptyPlacePicture, kEmptyPlacePicture},
}};

constexpr std::array<std::array<int, 3>, 5> kSetsByPage{{
    {0, 4, 5},  // welcome: Next, Exit, close
    {0, 1, 5},  // login: Next, Back, close
    {2, 1, 5},  // verify: Upgrade, Back, close
    {6, 3, 5},  // progress: empty, Retry, close
    {6, 4, 5},  // done: empty, Exit, close
}};

}  // namespace

QRect ButtonRect(FaceSlot slot) {
    switch (slot) {
        case FaceSlot::Forward:
            return QRect(440, 280, 105, 48);
        case FaceSlot::Second:
            return QRect(440, 330, 105, 48);
        case FaceSlot::Close:
            return QRect(500, 15, 45, 45);
        case FaceSlot::None:
            break;
    }
    return {};
}

FaceSlot HitTestButton(int x, int y) {
    for (const FaceSlot slot : kFaceSlots) {
        if (ButtonRect(slot).contains(x, y)) {
            return slot;
        }
    }
    return FaceSlot::None;
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

bool DrawButton(QPainter& painter, FaceSlot slot, const std::array<int, 3>& sets, bool highlighted) {
    // Only the three slots have a rectangle; None and any value outside the enumeration draw nothing.
    const QRect rect = ButtonRect(slot);
    if (rect.isEmpty()) {
        return false;
    }
    const int id = ButtonPictureId(sets[SlotIndex(slot)], highlighted);
    if (id == 0) {
        return false;
    }
    const QImage* picture = KeptSkinImage(id, kButtonType);
    if (picture == nullptr) {
        return false;
    }
    DrawSkinImage(picture, painter, rect.x(), rect.y());
    return true;
}

}  // namespace fwu
