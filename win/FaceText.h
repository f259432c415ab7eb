// The face's text labels on Windows: drawn by the window itself over its pictures with GDI, transparent
// or over a colour of their own, laid out by the wizard's label layout (words wrapped at the label's width,
// "+" switching to bold) with GDI measuring the text in the label's font.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "wizard/FaceBox.h"
#include "wizard/PageTexts.h"

namespace fwu::win {

struct FaceLabel {
    std::string name;  // what a screen reader and the tests call it
    FaceBox box;
    std::string text;  // in the program's code page
    COLORREF colour = RGB(0, 0, 0);
    int pixels = 11;         // character height
    int smallestPixels = 0;  // a text that does not fit is drawn smaller, down to this (0: never)
    bool bold = false;       // the weight the next paint starts from
    std::wstring face = L"MS Shell Dlg";
    std::optional<COLORREF> background;  // none: what lies below shows through
};

// The label the wizard names, with its look.
FaceLabel MakeFaceLabel(const PageLabelSpec& entry);

constexpr COLORREF ColourRef(const FaceColour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

// The text in UTF-16, read in the program's code page.
std::wstring CodePageText(std::string_view text);
// UTF-16 text in the program's code page; characters it lacks become its default character.
std::string CodePageBytes(std::wstring_view text);
// A control's text in the program's code page.
std::string ControlText(HWND control);

// Draws the label on `dc` (the window's client area); the font is made and freed here. A "+" in the text
// changes the label's weight for good (`bold`), as the wizard's label paint does on every window.
void DrawFaceLabel(HDC dc, FaceLabel& label);

// The label's rectangle in client coordinates.
RECT LabelRect(const FaceBox& box);

}  // namespace fwu::win
