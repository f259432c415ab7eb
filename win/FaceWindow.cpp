#include "win/FaceWindow.h"

#include "wizard/ButtonStates.h"
#include "wizard/SkinPictures.h"

namespace fwu::win {
namespace {

// The system menu's entry that opens the About box (the low four bits are the system's own).
constexpr UINT kAboutCommand = 0x0010;

}  // namespace

HRGN MakeWindowOutline(int width, int height) {
    return CreateRoundRectRgn(kOutlineInset, kOutlineInset, width - kOutlineInset, height - kOutlineInset,
                              kCornerWidth, kCornerHeight);
}

FaceWindow::FaceWindow() : buttonSets(kInitialButtonSets) {}

FaceWindow::~FaceWindow() {
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

bool FaceWindow::Create(HINSTANCE instance, const wchar_t* title) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &FaceWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(150));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kFaceWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    frame = LoadSkinPicture(kFrameType, kFrameImageId);
    if (frame) {
        width = frame->Width() + kFrameBorder;
        height = frame->Height() + kFrameBorder;
    }
    contents = LoadSkinPicture(kContentsType, ContentImageId(page));
    // No caption bar, but a system menu, a minimise box and a taskbar button.
    window = CreateWindowExW(WS_EX_APPWINDOW, kFaceWindowClass, title, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX,
                             0, 0, width, height, nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return false;
    }
    SetWindowRgn(window, MakeWindowOutline(width, height), TRUE);  // the system owns the region from here
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

void FaceWindow::ShowPage(int newPage) {
    page = newPage;
    buttonSets = ButtonSetsForPage(newPage, buttonSets);
    contents = LoadSkinPicture(kContentsType, ContentImageId(newPage));
    if (window != nullptr) {
        InvalidateRect(window, nullptr, FALSE);
    }
}

void FaceWindow::Paint(HDC dc) {
    DrawSkinPicture(frame, dc, 0, 0);
    // The blank panel first: the pages with a transparent background show it through.
    DrawSkinPicture(LoadSkinPicture(kContentsType, ContentImageId(PAGE_BLANK)), dc, kContentLeft,
                    kContentTop);
    DrawSkinPicture(contents, dc, kContentLeft, kContentTop);
    for (const FaceSlot slot : kFaceSlots) {
        const FaceBox box = ButtonBox(slot);
        const int id = ButtonPictureId(buttonSets[SlotIndex(slot)], false);
        DrawSkinPicture(LoadSkinPicture(kButtonType, id), dc, box.x, box.y);
    }
}

LRESULT CALLBACK FaceWindow::Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FaceWindow*>(create->lpCreateParams);
        self->window = handle;
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FaceWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT FaceWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            Paint(dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return frame ? 1 : DefWindowProcW(window, message, wParam, lParam);
        case WM_NCHITTEST: {
            // The bare face moves the window, as a caption bar would; the buttons stay the window's own.
            const LRESULT hit = DefWindowProcW(window, message, wParam, lParam);
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(window, &point);
            if (hit == HTCLIENT && HitTestButton(point.x, point.y) == FaceSlot::None) {
                return HTCAPTION;
            }
            return hit;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kAboutCommand) {
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace fwu::win
