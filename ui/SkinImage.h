// The pictures of the face: GIFs carried as resources by type ("FRAME", "CONTENTS", "BAR", "BUTTON")
// and id, decoded from memory and drawn at a point at their own size.
#pragma once

#include <QImage>
#include <QPoint>
#include <optional>
#include <string_view>

class QPainter;

namespace fwu {

inline constexpr std::string_view kFrameType = "FRAME";
inline constexpr std::string_view kContentsType = "CONTENTS";
inline constexpr std::string_view kBarType = "BAR";
inline constexpr std::string_view kButtonType = "BUTTON";

inline constexpr int kFrameImageId = 151;
inline constexpr int kBarImageId = 171;

// Content pictures are indexed by page (0 to 4); index 5 is the blank white panel that wipes the area.
inline constexpr int PAGE_BLANK = 5;
inline constexpr QPoint kContentOrigin{20, 176};

// The "CONTENTS" id of a content index 0..5 (165, 169, 167, 168, 166, 170); 0 for any other index.
int ContentImageId(int index);

// Decodes the picture of the given id and type; nothing when the program has no such picture or its
// bytes are not a GIF that decodes. A transparent colour index becomes alpha in the image.
std::optional<QImage> LoadSkinImage(int id, std::string_view type);

// Draws the image with its top-left corner at (x, y) at its own size, leaving its transparent colour
// out. A null pointer or a null image draws nothing.
void DrawSkinImage(const QImage* image, QPainter& painter, int x, int y);
void DrawSkinImage(const std::optional<QImage>& image, QPainter& painter, int x, int y);

}  // namespace fwu
