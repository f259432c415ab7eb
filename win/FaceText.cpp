#include "win/FaceText.h"

#include "wizard/LabelLayout.h"

namespace fwu::win {
namespace {

// A font of the label's face at `pixels` character height (a negative height asks for that, without
// the internal leading), bold or at normal weight.
HFONT MakeFont(const FaceLabel& label, int pixels, bool bold) {
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       label.face.c_str());
}

int MeasureIn(HDC dc, HFONT font, std::string_view text) {
    const std::wstring wide = CodePageText(text);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, previous);
    return static_cast<int>(size.cx);
}

}  // namespace

FaceLabel MakeFaceLabel(const PageLabelSpec& entry) {
    FaceLabel label;
    label.name = entry.name;
    label.box = entry.box;
    label.text = entry.text;
    label.colour = ColourRef(entry.look.colour);
    label.pixels = entry.look.pixels;
    label.smallestPixels = entry.look.smallestPixels;
    label.bold = entry.look.bold;
    if (entry.look.face != nullptr) {
        label.face = CodePageText(entry.look.face);
    }
    if (entry.look.background) {
        label.background = ColourRef(*entry.look.background);
    }
    return label;
}

std::wstring CodePageText(std::string_view text) {
    if (text.empty() || text.size() > 0x10000) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

std::string CodePageBytes(std::wstring_view text) {
    if (text.empty() || text.size() > 0x10000) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                            nullptr, nullptr);
    }
    return bytes;
}

std::string ControlText(HWND control) {
    // The fields hold at most a password's bytes; the bound keeps a foreign text from growing the copy.
    constexpr int kMostChars = 1024;
    std::wstring text(kMostChars, L'\0');
    const int length = GetWindowTextW(control, text.data(), kMostChars);
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return CodePageBytes(text);
}

RECT LabelRect(const FaceBox& box) {
    return RECT{box.x, box.y, box.x + box.width, box.y + box.height};
}

void DrawFaceLabel(HDC dc, FaceLabel& label) {
    const RECT rect = LabelRect(label.box);
    if (label.background) {
        HBRUSH brush = CreateSolidBrush(*label.background);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    if (label.text.empty()) {
        return;
    }
    int pixels = label.pixels;
    if (label.smallestPixels > 0 && label.smallestPixels < pixels) {
        const MeasureTextAt measureAt = [&](std::string_view piece, bool bold, int size) {
            HFONT font = MakeFont(label, size, bold);
            const int width = MeasureIn(dc, font, piece);
            DeleteObject(font);
            return width;
        };
        pixels = FittingFontPixels(label.text, label.box.width, label.box.height, pixels,
                                   label.smallestPixels, label.bold, measureAt);
    }
    HFONT normal = MakeFont(label, pixels, false);
    HFONT bold = MakeFont(label, pixels, true);
    const MeasureText measure = [&](std::string_view piece, bool isBold) {
        return MeasureIn(dc, isBold ? bold : normal, piece);
    };
    const LabelLayout layout = LayoutLabelPaint(label.text, label.box.width, pixels, label.bold, measure);
    const int savedState = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, label.colour);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    for (const LabelLine& line : layout.lines) {
        for (const LabelRun& run : line.runs) {
            SelectObject(dc, run.bold ? bold : normal);
            const std::wstring wide = CodePageText(run.text);
            TextOutW(dc, rect.left + run.x, rect.top + line.y, wide.c_str(), static_cast<int>(wide.size()));
        }
    }
    RestoreDC(dc, savedState);
    DeleteObject(normal);
    DeleteObject(bold);
}

}  // namespace fwu::win
