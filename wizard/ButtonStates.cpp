// The image buttons' slots, hit test, picture sets per page, captions and Alt letters.
#include "wizard/ButtonStates.h"

#include <cstddef>

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

struct SetKeys {
    const char* caption;
    char accelerator;  // pressed with Alt
};
// Indexed by picture set; the blank plate (6) has neither.
constexpr std::array<SetKeys, 6> kSetKeys{{
    {"Next", 'N'},
    {"Back", 'B'},
    {"Upgrade", 'U'},
    {"Retry", 'R'},
    {"Exit", 'X'},
    {"Close", 'X'},
}};
constexpr int kCloseSet = 5;

}  // namespace

FaceBox ButtonBox(FaceSlot slot) {
    switch (slot) {
        case FaceSlot::Forward:
            return {440, 280, 105, 48};
        case FaceSlot::Second:
            return {440, 330, 105, 48};
        case FaceSlot::Close:
            return {500, 15, 45, 45};
        case FaceSlot::None:
            break;
    }
    return {};
}

FaceSlot HitTestButton(int x, int y) {
    for (const FaceSlot slot : kFaceSlots) {
        if (ButtonBox(slot).Contains(x, y)) {
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

const char* ButtonCaptionText(int set) {
    if (set < 0 || set >= static_cast<int>(kSetKeys.size())) {
        return "";
    }
    return kSetKeys[static_cast<std::size_t>(set)].caption;
}

char ButtonAccelerator(int set) {
    if (set < 0 || set >= static_cast<int>(kSetKeys.size())) {
        return 0;
    }
    return kSetKeys[static_cast<std::size_t>(set)].accelerator;
}

FaceSlot SlotForAccelerator(char letter, const std::array<int, 3>& sets) {
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    // The close button answers X only where no Exit button is shown, so the other two slots are looked at
    // first.
    for (const FaceSlot slot : kFaceSlots) {
        const int set = sets[SlotIndex(slot)];
        if (set < 0 || set >= static_cast<int>(kSetKeys.size()) || set == kCloseSet) {
            continue;
        }
        if (kSetKeys[static_cast<std::size_t>(set)].accelerator == letter) {
            return slot;
        }
    }
    return letter == 'X' && sets[SlotIndex(BTN_CLOSE)] == kCloseSet ? BTN_CLOSE : FaceSlot::None;
}

}  // namespace fwu
