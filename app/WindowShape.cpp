#include "app/WindowShape.h"

#include <algorithm>
#include <cmath>

namespace fwu {

QRegion RoundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight) {
    QRegion region;
    if (rect.isEmpty()) {
        return region;
    }
    const double rx = std::min(ellipseWidth, rect.width()) / 2.0;
    const double ry = std::min(ellipseHeight, rect.height()) / 2.0;
    const double top = rect.top();
    const double bottom = rect.top() + rect.height();
    int runStart = rect.top();
    int runInset = -1;
    const auto flush = [&](int endRow) {
        if (runInset >= 0 && endRow > runStart) {
            region += QRect(rect.left() + runInset, runStart, rect.width() - 2 * runInset, endRow - runStart);
        }
    };
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const double centreY = y + 0.5;
        // Distance of the row centre into a corner band, measured from the ellipse centre.
        double dy = 0.0;
        if (ry > 0.0 && centreY < top + ry) {
            dy = top + ry - centreY;
        } else if (ry > 0.0 && centreY > bottom - ry) {
            dy = centreY - (bottom - ry);
        }
        int inset = 0;
        if (dy > 0.0 && rx > 0.0) {
            const double t = std::clamp(dy / ry, 0.0, 1.0);
            const double halfSpan = rx * std::sqrt(1.0 - t * t);
            // Columns whose centre lies within the ellipse: centre x + 0.5 >= left + rx - halfSpan.
            inset = static_cast<int>(std::ceil(rx - halfSpan - 0.5));
            inset = std::clamp(inset, 0, (rect.width() + 1) / 2);
        }
        if (inset != runInset) {
            flush(y);
            runStart = y;
            runInset = inset;
        }
    }
    flush(rect.bottom() + 1);
    return region;
}

QRegion WindowOutline(const QSize& size) {
    const QRect inner(kWindowInset, kWindowInset, size.width() - 2 * kWindowInset,
                      size.height() - 2 * kWindowInset);
    return RoundRectRegion(inner, kCornerEllipseWidth, kCornerEllipseHeight);
}

}  // namespace fwu
