// Rectangles of the window face are written as left, top, right, bottom with right and bottom exclusive;
// these turn them, and the wizard's plain boxes, into Qt rectangles, and the wizard's colours into Qt's.
#pragma once

#include <QColor>
#include <QRect>

#include "wizard/FaceBox.h"

namespace fwu {

constexpr QRect FaceRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

constexpr QRect QtRect(const FaceBox& box) {
    return QRect(box.x, box.y, box.width, box.height);
}

constexpr QRgb QtRgb(const FaceColour& colour) {
    return qRgb(colour.red, colour.green, colour.blue);
}

}  // namespace fwu
