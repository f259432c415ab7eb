// A rectangle on the window face in plain numbers (left, top, width, height), so that the page machine
// and the button and bar arithmetic name places without any window system's rectangle type; and a colour
// of the face, likewise.
#pragma once

namespace fwu {

struct FaceBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr bool Empty() const { return width <= 0 || height <= 0; }
    // Right and bottom edges are outside the box.
    constexpr bool Contains(int px, int py) const {
        return !Empty() && px >= x && px < x + width && py >= y && py < y + height;
    }
    friend constexpr bool operator==(const FaceBox&, const FaceBox&) = default;
};

// Red, green and blue, 0 to 255 each.
struct FaceColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend constexpr bool operator==(const FaceColour&, const FaceColour&) = default;
};

// The face's rectangles are written as left, top, right, bottom with right and bottom exclusive.
constexpr FaceBox FaceBoxFromEdges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

}  // namespace fwu
