// The rounded outline of the window: 5 pixels cut off every side, corners rounded by a 20 x 25 ellipse.
#include <gtest/gtest.h>

#include "app/WindowShape.h"

namespace fwu {
namespace {

TEST(WindowShape, OutlineOfTheFaceSize) {
    const QRegion outline = WindowOutline(QSize(560, 420));
    EXPECT_EQ(outline.boundingRect(), QRect(5, 5, 550, 410));
    // Edges run straight between the corners.
    for (const QPoint inside : {QPoint(280, 5), QPoint(280, 414), QPoint(5, 210), QPoint(554, 210),
                                QPoint(15, 5), QPoint(544, 414), QPoint(5, 17), QPoint(554, 402)}) {
        EXPECT_TRUE(outline.contains(inside)) << inside.x() << "," << inside.y();
    }
    for (const QPoint outside :
         {QPoint(280, 4), QPoint(280, 415), QPoint(4, 210), QPoint(555, 210), QPoint(5, 5), QPoint(554, 5),
          QPoint(5, 414), QPoint(554, 414), QPoint(7, 7), QPoint(552, 412)}) {
        EXPECT_FALSE(outline.contains(outside)) << outside.x() << "," << outside.y();
    }
}

TEST(WindowShape, CornersAreQuarterEllipses) {
    const QRegion region = RoundRectRegion(QRect(0, 0, 100, 100), 20, 20);
    // A pixel is inside when its centre lies inside the circle of radius 10 around (10, 10).
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const double dx = x + 0.5 - 10.0;
            const double dy = y + 0.5 - 10.0;
            EXPECT_EQ(region.contains(QPoint(x, y)), dx * dx + dy * dy <= 100.0) << x << "," << y;
            EXPECT_EQ(region.contains(QPoint(99 - x, 99 - y)), region.contains(QPoint(x, y)))
                << x << "," << y;
        }
    }
}

TEST(WindowShape, DegenerateSizes) {
    EXPECT_TRUE(RoundRectRegion(QRect(0, 0, 0, 10), 20, 25).isEmpty());
    EXPECT_EQ(RoundRectRegion(QRect(3, 4, 30, 40), 0, 0), QRegion(QRect(3, 4, 30, 40)));
    // An ellipse larger than the rectangle is shrunk to it: the rectangle's middle row stays whole.
    const QRegion oval = RoundRectRegion(QRect(0, 0, 10, 10), 50, 50);
    EXPECT_TRUE(oval.contains(QPoint(0, 5)));
    EXPECT_TRUE(oval.contains(QPoint(9, 4)));
    EXPECT_FALSE(oval.contains(QPoint(0, 0)));
}

}  // namespace
}  // namespace fwu
