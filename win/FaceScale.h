// The face's size and places on a display of a given scale: the face is drawn at its own pixels (1x) or
// at twice them (2x, from 200 %), never in between, so its outer size follows the scale and not the
// display's dots per inch. Pure, so the rules are tested without a window.
#pragma once

#include <windows.h>

#include "wizard/FaceBox.h"

namespace fwu::win {

// The outer size at 1x without a frame picture, and the border given around the frame picture.
inline constexpr int kDefaultWidth = 560;
inline constexpr int kDefaultHeight = 420;
inline constexpr int kFrameBorder = 11;

// The face's scale on a display of `dpi` dots per inch: 2 from 192 (200 %) on, where the double-size
// pictures are drawn, else 1.
int FaceScaleForDpi(int dpi);

// The dots per inch the window starts with: its own as the system tells it (`windowDpi`), else those of
// the display it opens on (`monitorDpi`), else the system's (`systemDpi`), else 96; 0 or less where the
// system could not tell. The window's own and its display's are the ones the system scales it by when it
// is moved to another display, so the face starts at the scale it keeps there.
int StartingDpi(int windowDpi, int monitorDpi, int systemDpi);

struct FaceSize {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const FaceSize&, const FaceSize&) = default;
};

// The window's outer size in screen pixels for a frame picture of `frameWidth` x `frameHeight` face
// pixels (0 x 0 when there is none: 560 x 420) at `scale`.
FaceSize FaceOuterSize(int frameWidth, int frameHeight, int scale);

// A rectangle of the face in screen pixels, relative to the window, at `scale`.
RECT ScaledRect(const FaceBox& box, int scale);

// Where the window goes when the system moves it to a display of another scale and suggests `suggested`
// for it: that rectangle when it has the face's size, else the face's size centred on it (the system
// scales the window by the display's ratio, 150 % for example, where the face keeps 1x).
RECT PlaceOnDisplay(const RECT& suggested, FaceSize size);

}  // namespace fwu::win
