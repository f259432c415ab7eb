// Rectangles of the window face are written as left, top, right, bottom with right and bottom exclusive;
// these turn them, and the wizard's plain boxes, into Qt rectangles.
#pragma once

#include <QRect>

#include "wizard/FaceBox.h"

namespace fwu {

constexpr QRect FaceRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

constexpr QRect QtRect(const FaceBox& box) {
    return QRect(box.x, box.y, box.width, box.height);
}

}  // namespace fwu
