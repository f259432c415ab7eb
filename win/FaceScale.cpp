#include "win/FaceScale.h"

#include <initializer_list>

namespace fwu::win {
int FaceScaleForDpi(int dpi) {
    return dpi >= 192 ? 2 : 1;
}

int StartingDpi(int windowDpi, int monitorDpi, int systemDpi) {
    for (const int dpi : {windowDpi, monitorDpi, systemDpi}) {
        if (dpi > 0) {
            return dpi;
        }
    }
    return 96;
}

FaceSize FaceOuterSize(int frameWidth, int frameHeight, int scale) {
    if (frameWidth <= 0 || frameHeight <= 0) {
        return {kDefaultWidth * scale, kDefaultHeight * scale};
    }
    return {(frameWidth + kFrameBorder) * scale, (frameHeight + kFrameBorder) * scale};
}

RECT ScaledRect(const FaceBox& box, int scale) {
    return RECT{box.x * scale, box.y * scale, (box.x + box.width) * scale, (box.y + box.height) * scale};
}

RECT PlaceOnDisplay(const RECT& suggested, FaceSize size) {
    const LONG width = suggested.right - suggested.left;
    const LONG height = suggested.bottom - suggested.top;
    if (width == size.width && height == size.height) {
        return suggested;
    }
    // Halves rounded towards the top left, whatever the sign of the coordinates (a display left of or
    // above the main one).
    const LONG left = suggested.left + (width - size.width) / 2;
    const LONG top = suggested.top + (height - size.height) / 2;
    return RECT{left, top, left + size.width, top + size.height};
}

}  // namespace fwu::win
