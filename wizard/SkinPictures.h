// The catalogue of the face's pictures, the same for every window: the ids of the "FRAME", "CONTENTS" and
// "BAR" pictures, the content picture of each page, and where the content picture is drawn.
#pragma once

#include <array>
#include <cstddef>

namespace fwu {

inline constexpr int kFrameImageId = 151;
inline constexpr int kBarImageId = 171;

// Content pictures are indexed by page (0 to 4); index 5 is the blank white panel that wipes the area.
inline constexpr int PAGE_BLANK = 5;
// The content picture's top-left corner on the face.
inline constexpr int kContentLeft = 20;
inline constexpr int kContentTop = 176;

// The "CONTENTS" pictures, one per page and the blank panel.
inline constexpr int kWelcomeContentPicture = 165;
inline constexpr int kDoneContentPicture = 166;
inline constexpr int kVerifyContentPicture = 167;
inline constexpr int kProgressContentPicture = 168;
inline constexpr int kLoginContentPicture = 169;
inline constexpr int kBlankContentPicture = 170;

// The "CONTENTS" id of a content index 0..5 (welcome, login, verify, progress, done, blank); 0 for any
// other index.
constexpr int ContentImageId(int index) {
    constexpr std::array<int, 6> kIds{kWelcomeContentPicture,  kLoginContentPicture, kVerifyContentPicture,
                                      kProgressContentPicture, kDoneContentPicture,  kBlankContentPicture};
    if (index < 0 || index >= static_cast<int>(kIds.size())) {
        return 0;
    }
    return kIds[static_cast<std::size_t>(index)];
}

}  // namespace fwu
