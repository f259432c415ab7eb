// The pictures of the face: GIFs carried as resources by type ("FRAME", "CONTENTS", "BAR", "BUTTON")
// and id, decoded from memory and drawn at a point at their own size. Each picture also comes drawn at
// twice the size; on a paint device with a device pixel ratio above 1 that drawing is painted in its
// place, over the same logical area, so the face stays 560 x 420 logical pixels at any screen density.
#pragma once

#include <QImage>
#include <QPoint>
#include <optional>
#include <string_view>

#include "wizard/SkinPictures.h"

class QPainter;

namespace fwu {

inline constexpr std::string_view kFrameType = "FRAME";
inline constexpr std::string_view kContentsType = "CONTENTS";
inline constexpr std::string_view kBarType = "BAR";
inline constexpr std::string_view kButtonType = "BUTTON";

inline constexpr QPoint kContentOrigin{kContentLeft, kContentTop};

// Decodes the picture of the given id and type; nothing when the program has no such picture or its
// bytes are not a GIF that decodes. A transparent colour index becomes alpha in the image. The image is
// the plain drawing, so its size is the picture's logical size at every screen density.
std::optional<QImage> LoadSkinImage(int id, std::string_view type);

// LoadSkinImage's picture, decoded on its first use and kept for the program's life (pictures painted on
// every paint, such as the buttons'); null when there is none.
const QImage* KeptSkinImage(int id, std::string_view type);

// Draws the image with its top-left corner at (x, y) at its own size, leaving its transparent colour
// out. When the painter's device has a device pixel ratio above 1 and the image came from LoadSkinImage,
// the double-size drawing of the same picture is painted instead, over the same logical rectangle
// (smoothly resampled when the ratio is not 2); without one the image itself is painted. A null pointer
// or a null image draws nothing.
void DrawSkinImage(const QImage* image, QPainter& painter, int x, int y);
void DrawSkinImage(const std::optional<QImage>& image, QPainter& painter, int x, int y);

}  // namespace fwu
