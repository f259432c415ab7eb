// The face's pictures on Windows: GIFs that the program carries as resources of the types "FRAME",
// "CONTENTS", "BAR" and "BUTTON" by their ids, decoded in memory by the Windows Imaging Component into a
// 32-bit bitmap with premultiplied alpha (a GIF's transparent colour becomes alpha 0), and drawn with GDI
// at a point, leaving the transparent colour out. Each picture is also carried drawn at twice its size,
// as resource id + kDoubleSizeIdOffset of the same type.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

namespace fwu::win {

inline constexpr const wchar_t* kFrameType = L"FRAME";
inline constexpr const wchar_t* kContentsType = L"CONTENTS";
inline constexpr const wchar_t* kBarType = L"BAR";
inline constexpr const wchar_t* kButtonType = L"BUTTON";

// The resource id of a picture's double-size drawing is its own id plus this.
inline constexpr int kDoubleSizeIdOffset = 1000;

// One decoded picture; owns its bitmap. A double-size drawing has scale 2: its size on the face, in the
// face's own pixels, is half its bitmap's.
class SkinPicture {
public:
    SkinPicture(HBITMAP bitmap, int width, int height, int scale = 1)
        : bitmap(bitmap), width(width), height(height), scale(scale) {}
    ~SkinPicture();
    SkinPicture(SkinPicture&& other) noexcept;
    SkinPicture& operator=(SkinPicture&& other) noexcept;
    SkinPicture(const SkinPicture&) = delete;
    SkinPicture& operator=(const SkinPicture&) = delete;

    // The size on the face; the bitmap's own size is PixelWidth x PixelHeight.
    int Width() const { return width / scale; }
    int Height() const { return height / scale; }
    int PixelWidth() const { return width; }
    int PixelHeight() const { return height; }
    int Scale() const { return scale; }
    HBITMAP Bitmap() const { return bitmap; }

private:
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    int scale = 1;
};

// Decodes GIF (or any WIC-readable) bytes held in memory, a drawing at `scale`; nothing when they do not
// decode.
std::optional<SkinPicture> DecodePicture(const void* bytes, std::size_t size, int scale = 1);

// The picture of the given type and id from the program's own resources, drawn at `scale` (1, or 2 for
// the double-size drawing); nothing when the program carries no such picture or it does not decode.
std::optional<SkinPicture> LoadSkinPicture(const wchar_t* type, int id, int scale = 1);

// Draws the picture with its top-left corner at (x, y) at its size on the face (a double-size drawing over
// a DC scaled by two puts each of its pixels on one of the screen's), its transparent pixels left out so
// that what lies below shows through. A missing picture draws nothing.
void DrawSkinPicture(const std::optional<SkinPicture>& picture, HDC dc, int x, int y);

}  // namespace fwu::win
