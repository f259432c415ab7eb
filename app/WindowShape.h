// The rounded outline of the frameless main window.
#pragma once

#include <QRect>
#include <QRegion>
#include <QSize>

namespace fwu {

// Pixels cut off every side of the window, and the ellipse that rounds the corners.
inline constexpr int kWindowInset = 5;
inline constexpr int kCornerEllipseWidth = 20;
inline constexpr int kCornerEllipseHeight = 25;

// A rectangle with corners rounded by quarters of an ellipse `ellipseWidth` x `ellipseHeight`, built row
// by row: a pixel belongs to it when its centre lies inside the rounded shape. An ellipse larger than the
// rectangle is shrunk to it.
QRegion RoundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight);

// The window's outline for a client area of `size`: inset on every side, corners rounded.
QRegion WindowOutline(const QSize& size);

}  // namespace fwu
