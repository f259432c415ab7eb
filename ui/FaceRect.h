// Rectangles of the window face are written as left, top, right, bottom with right and bottom exclusive;
// this turns them into Qt rectangles.
#pragma once

#include <QRect>

namespace fwu {

constexpr QRect FaceRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace fwu
