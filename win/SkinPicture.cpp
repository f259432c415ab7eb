#include "win/SkinPicture.h"

#include <wincodec.h>

#include <cstring>
#include <utility>

namespace fwu::win {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Out() { return &pointer; }
    T* operator->() const { return pointer; }
    T* Get() const { return pointer; }

private:
    T* pointer = nullptr;
};

// The imaging factory, made once on the window's thread (COM is set up there by the window).
IWICImagingFactory* Factory() {
    static IWICImagingFactory* factory = [] {
        IWICImagingFactory* made = nullptr;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&made)))) {
            return static_cast<IWICImagingFactory*>(nullptr);
        }
        return made;
    }();
    return factory;
}

}  // namespace

SkinPicture::~SkinPicture() {
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
}

SkinPicture::SkinPicture(SkinPicture&& other) noexcept
    : bitmap(std::exchange(other.bitmap, nullptr)),
      width(other.width),
      height(other.height),
      scale(other.scale) {}

SkinPicture& SkinPicture::operator=(SkinPicture&& other) noexcept {
    if (this != &other) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        bitmap = std::exchange(other.bitmap, nullptr);
        width = other.width;
        height = other.height;
        scale = other.scale;
    }
    return *this;
}

std::optional<SkinPicture> DecodePicture(const void* bytes, std::size_t size, int scale) {
    IWICImagingFactory* factory = Factory();
    if (factory == nullptr || bytes == nullptr || size == 0 || size > 0x7fffffff) {
        return std::nullopt;
    }
    ComRef<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                            static_cast<DWORD>(size)))) {
        return std::nullopt;
    }
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Out()))) {
        return std::nullopt;
    }
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Out()))) {
        return std::nullopt;
    }
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    UINT width = 0;
    UINT height = 0;
    // The face's largest picture is the double-size frame; anything far beyond is not ours.
    constexpr UINT kMostPixelsOnASide = 4096;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > kMostPixelsOnASide || height > kMostPixelsOnASide) {
        return std::nullopt;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down rows, as WIC hands them over
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr) {
        return std::nullopt;
    }
    SkinPicture picture(bitmap, static_cast<int>(width), static_cast<int>(height), scale);
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)))) {
        return std::nullopt;
    }
    return picture;
}

std::optional<SkinPicture> LoadSkinPicture(const wchar_t* type, int id, int scale) {
    const int resourceId = scale == 2 ? id + kDoubleSizeIdOffset : id;
    if (scale != 1 && scale != 2) {
        return std::nullopt;
    }
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), type);
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    return DecodePicture(bytes, size, scale);
}

void DrawSkinPicture(const std::optional<SkinPicture>& picture, HDC dc, int x, int y) {
    if (!picture) {
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) {
        return;
    }
    HGDIOBJ previous = SelectObject(source, picture->Bitmap());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, picture->Width(), picture->Height(), source, 0, 0, picture->PixelWidth(),
               picture->PixelHeight(), blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

}  // namespace fwu::win
