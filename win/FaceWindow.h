// The main window of the Windows program: a frameless top-level window with a system menu and a taskbar
// button, sized to the face's frame picture plus its border and given the rounded outline, painting the
// frame, the content picture of the page shown and the three image buttons of that page.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "win/SkinPicture.h"

namespace fwu::win {

// The window's class name, by which a second start finds the first one's window.
inline constexpr const wchar_t* kFaceWindowClass = L"FwuFaceWindow";

// The outer size for a frame picture of `frameWidth` x `frameHeight` (560 x 420 when there is none), and
// the outline: `kOutlineInset` pixels cut off every side, corners rounded by an ellipse of
// kCornerWidth x kCornerHeight.
inline constexpr int kFrameBorder = 11;
inline constexpr int kDefaultWidth = 560;
inline constexpr int kDefaultHeight = 420;
inline constexpr int kOutlineInset = 5;
inline constexpr int kCornerWidth = 20;
inline constexpr int kCornerHeight = 25;

// The region of the window's outline for an outer size; the caller owns it until it hands it to the
// window.
HRGN MakeWindowOutline(int width, int height);

class FaceWindow {
public:
    FaceWindow();
    ~FaceWindow();
    FaceWindow(const FaceWindow&) = delete;
    FaceWindow& operator=(const FaceWindow&) = delete;

    // Makes the window (not yet shown), centred on the screen; false when the system made none.
    bool Create(HINSTANCE instance, const wchar_t* title);
    HWND Handle() const { return window; }

    // Shows a page (0..4): its content picture over the blank panel and its buttons.
    void ShowPage(int page);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);

    HWND window = nullptr;
    std::optional<SkinPicture> frame;
    std::optional<SkinPicture> contents;
    std::array<int, 3> buttonSets;
    int page = 0;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
};

}  // namespace fwu::win
