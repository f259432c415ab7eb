#include "win/FaceWindow.h"

#include <commctrl.h>

// windows.h names the system's string loader LoadString; the program's own table is meant here.
#undef LoadString

#include "res/StringTable.h"
#include "upgrade/RunExitStatus.h"
#include "win/AboutBox.h"
#include "wizard/ButtonStates.h"
#include "wizard/PageTexts.h"
#include "wizard/ProgressStrips.h"
#include "wizard/SkinPictures.h"

namespace fwu::win {
namespace {

// The focus mark on a plate: a dotted rectangle inset on it, white dots over a dark line so that it
// reads on the dark plates, the yellow one and the close cross alike.
constexpr int kFocusInset = 7;

// WM_GETDPISCALEDSIZE, which the headers name only for newer systems than the program asks for.
constexpr UINT kGetDpiScaledSize = 0x02E4;

// The dots per inch of `window` once it is made (null before: the display at the middle of the main
// display's work area, where the window opens), as the system scales it: the window's own from
// GetDpiForWindow, else its display's from GetDpiForMonitor, else the screen's. Both are looked up at run
// time: systems older than Windows 10 (1607) and 8.1 do not have them.
int OpeningDpi(HWND window) {
    using WindowDpiFunction = UINT(WINAPI*)(HWND);
    using MonitorDpiFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the dpi the display's scale setting gives
    static const auto windowDpi = [] {
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        return user != nullptr ? reinterpret_cast<WindowDpiFunction>(
                                     reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                               : nullptr;
    }();
    static const auto monitorDpi = [] {
        const HMODULE shell = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shell != nullptr ? reinterpret_cast<MonitorDpiFunction>(
                                      reinterpret_cast<void*>(GetProcAddress(shell, "GetDpiForMonitor")))
                                : nullptr;
    }();
    int own = 0;
    if (window != nullptr && windowDpi != nullptr) {
        own = static_cast<int>(windowDpi(window));
    }
    int display = 0;
    if (monitorDpi != nullptr) {
        HMONITOR monitor = nullptr;
        if (window != nullptr) {
            monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
        } else {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            monitor = MonitorFromPoint(POINT{(work.left + work.right) / 2, (work.top + work.bottom) / 2},
                                       MONITOR_DEFAULTTOPRIMARY);
        }
        UINT x = 0;
        UINT y = 0;
        if (monitor != nullptr && monitorDpi(monitor, kEffectiveDpi, &x, &y) == S_OK) {
            display = static_cast<int>(x);
        }
    }
    int screen = 0;
    if (HDC dc = GetDC(nullptr)) {
        screen = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    return StartingDpi(own, display, screen);
}

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

HRGN MakeWindowOutline(int width, int height, int scale) {
    const int inset = kOutlineInset * scale;
    return CreateRoundRectRgn(inset, inset, width - inset, height - inset, kCornerWidth * scale,
                              kCornerHeight * scale);
}

std::optional<SkinPicture> FaceWindow::LoadPicture(const wchar_t* type, int id) const {
    if (scale == 2) {
        if (std::optional<SkinPicture> doubled = LoadSkinPicture(type, id, 2)) {
            return doubled;
        }
    }
    return LoadSkinPicture(type, id);
}

void FaceWindow::LoadPictures() {
    frame = LoadPicture(kFrameType, kFrameImageId);
    const FaceSize size = OuterSizeAt(scale);
    width = size.width;
    height = size.height;
    blank = LoadPicture(kContentsType, ContentImageId(PAGE_BLANK));
    contents = LoadPicture(kContentsType, ContentImageId(Page()));
    for (int set = 0; set < kButtonSetCount; ++set) {
        buttonPictures[static_cast<std::size_t>(set)] = LoadPicture(kButtonType, ButtonPictureId(set, false));
        buttonPictures[static_cast<std::size_t>(kButtonSetCount + set)] =
            LoadPicture(kButtonType, ButtonPictureId(set, true));
    }
    if (progressShown) {
        bar = LoadPicture(kBarType, kBarImageId);
    }
}

FaceSize FaceWindow::OuterSizeAt(int atScale) const {
    return frame ? FaceOuterSize(frame->Width(), frame->Height(), atScale) : FaceOuterSize(0, 0, atScale);
}

void FaceWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    const int newScale = FaceScaleForDpi(dpi);
    if (newScale != scale) {
        scale = newScale;
        LoadPictures();
        for (const FaceSlot slot : kFaceSlots) {
            const RECT box = ScaledRect(ButtonBox(slot), scale);
            SetWindowPos(Plate(slot), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (login) {
            login->Rescale(scale);
        }
    }
    const RECT place = PlaceOnDisplay(suggested, FaceSize{width, height});
    SetWindowPos(window, nullptr, place.left, place.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowRgn(window, MakeWindowOutline(width, height, scale), TRUE);  // the system owns it from here
    InvalidateRect(window, nullptr, FALSE);
}

void FaceWindow::ScaleDrawing(HDC dc) const {
    if (scale == 1) {
        return;
    }
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM transform{static_cast<FLOAT>(scale), 0, 0, static_cast<FLOAT>(scale), 0, 0};
    SetWorldTransform(dc, &transform);
}

FaceWindow::FaceWindow(UpgradeServices& services) : services(services), buttonSets(kInitialButtonSets) {}

FaceWindow::~FaceWindow() {
    mailbox.Close();
    login.reset();
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    flow.reset();
    services.JoinUpload();
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
    scale = FaceScaleForDpi(OpeningDpi(nullptr));
    LoadPictures();
    // No caption bar, but a system menu, a minimise box and a taskbar button.
    window = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFaceWindowClass, title,
                             WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, width, height,
                             nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return false;
    }
    // Made, the window has its own dpi where the system knows one per window: the face at its scale,
    // before anything is drawn or placed by the size.
    if (const int own = FaceScaleForDpi(OpeningDpi(window)); own != scale) {
        scale = own;
        LoadPictures();
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowRgn(window, MakeWindowOutline(width, height, scale),
                 TRUE);  // the system owns the region from here
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (HMENU system = GetSystemMenu(window, FALSE)) {
        const std::string_view about = LoadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(system, MF_STRING, kAboutCommand, CodePageText(about).c_str());
        }
    }
    // The plates: owner-drawn buttons over the slots, in the tab order after the page's fields.
    for (const FaceSlot slot : kFaceSlots) {
        const RECT box = ScaledRect(ButtonBox(slot), scale);
        const int id = kFirstPlateId + static_cast<int>(SlotIndex(slot));
        HWND plate = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, box.left,
                                     box.top, box.right - box.left, box.bottom - box.top, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        plates[SlotIndex(slot)] = plate;
        if (plate != nullptr) {
            SetWindowSubclass(plate, &FaceWindow::PlateProcedure, static_cast<UINT_PTR>(slot),
                              reinterpret_cast<DWORD_PTR>(this));
        }
    }

    const std::string gateway =
        services.FindDefaultGateway([this](const std::string& text) { ShowMessageText(text, MB_OK); });
    info = services.LoadFirmwareInfo();
    mailbox.SetWindow(window);
    flow = std::make_unique<WizardFlow>(services, static_cast<WizardView&>(*this), mailbox, gateway,
                                        info.utilityVersion);
    flow->Run().SetAttemptLog(services.Log());
    titles = {};
    for (const PageLabelSpec& entry : {ModelTitleLabel(info.model), VersionTitleLabel(info.utilityVersion)}) {
        titles.push_back(MakeFaceLabel(entry));
    }
    ShowPage(PAGE_WELCOME);  // the first page is shown, not changed to
    ShowPlates();
    return true;
}

int FaceWindow::RunMessages() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HandleMessage(message);
    }
    return flow ? RunExitStatus(flow->Run().LastUpgradeEnd()) : 1;
}

bool FaceWindow::HandleQueuedMessages() {
    MSG message;
    while (window != nullptr && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        HandleMessage(message);
    }
    return window != nullptr;
}

void FaceWindow::HandleMessage(MSG& message) {
    if (PreTranslateKey(message)) {
        return;
    }
    // Tab and the arrows move between the fields and the plates.
    if (window != nullptr && IsDialogMessageW(window, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

std::vector<FaceLabel> FaceWindow::Labels() const {
    std::vector<FaceLabel> shown = titles;
    shown.insert(shown.end(), labels.begin(), labels.end());
    return shown;
}

bool FaceWindow::PreTranslateKey(const MSG& message) {
    if (window == nullptr || (message.hwnd != window && !IsChild(window, message.hwnd))) {
        return false;
    }
    const bool repeated = (message.lParam & (1 << 30)) != 0;
    if (message.message == WM_SYSKEYDOWN && message.wParam >= 'A' && message.wParam <= 'Z') {
        const FaceSlot slot = SlotForAccelerator(static_cast<char>(message.wParam), buttonSets);
        if (slot == FaceSlot::None) {
            return false;  // the system's own Alt keys (Alt+Space, Alt+F4) go on
        }
        if (!repeated) {
            QueuePress(slot);
        }
        return true;
    }
    if (message.message == WM_SYSCHAR &&
        SlotForAccelerator(static_cast<char>(message.wParam), buttonSets) != FaceSlot::None) {
        return true;  // the character of an Alt letter taken above
    }
    if (message.message != WM_KEYDOWN && message.message != WM_CHAR) {
        return false;
    }
    const bool keyDown = message.message == WM_KEYDOWN;
    if (message.wParam == VK_ESCAPE || (!keyDown && message.wParam == 0x1B)) {
        if (keyDown && !repeated) {
            TryClose();  // like Exit; while an upload runs, asks whether to stop it
        }
        return true;
    }
    if (message.wParam == VK_RETURN || (!keyDown && message.wParam == L'\r')) {
        if (keyDown && !repeated && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
            // Enter presses the focused plate, and Next from the password field; elsewhere it ends nothing.
            if (login && message.hwnd == login->PasswordField()) {
                QueuePress(BTN_FORWARD);
            }
            for (const FaceSlot slot : kFaceSlots) {
                if (message.hwnd == Plate(slot)) {
                    QueuePress(slot);
                }
            }
        }
        return true;
    }
    return false;
}

void FaceWindow::QueuePress(FaceSlot slot, bool byMouse) {
    PostMessageW(window, kPressMessage, static_cast<WPARAM>(slot), byMouse ? 1 : 0);
}

void FaceWindow::OnPress(FaceSlot slot, bool byMouse) {
    if (!flow || flow->CheckingRouter()) {
        return;
    }
    if (flow->Busy()) {
        // While an upload runs only the close button acts, under the mouse: it asks whether to stop
        // (Escape asks the same; the plates' keys wait, as the page machine has them).
        if (slot == BTN_CLOSE && byMouse) {
            flow->RequestClose();
        }
        return;
    }
    flow->Press(slot);
}

void FaceWindow::TryClose() {
    if (closing || window == nullptr) {
        return;
    }
    if (flow && flow->RequestClose() == CloseAnswer::Stay) {
        return;
    }
    closing = true;
    if (flow) {
        flow->Run().EndWatch();  // at once: nothing more is sent, and the window is not held up
    }
    DestroyWindow(window);
}

void FaceWindow::ShowPlates() {
    for (const FaceSlot slot : kFaceSlots) {
        HWND plate = Plate(slot);
        if (plate == nullptr) {
            continue;
        }
        const char* caption = ButtonCaptionText(buttonSets[SlotIndex(slot)]);
        SetWindowTextW(plate, CodePageText(caption).c_str());
        // A blank plate hides and hands its focus on.
        const bool shown = caption[0] != '\0';
        if (!shown && GetFocus() == plate) {
            SetFocus(window);
        }
        ShowWindow(plate, shown ? SW_SHOWNA : SW_HIDE);
        // The plates follow the page's fields in the tab order, in their own order.
        SetWindowPos(plate, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        InvalidateRect(plate, nullptr, FALSE);
    }
}

void FaceWindow::Invalidate(const FaceBox& box) {
    if (window != nullptr && !box.Empty()) {
        const RECT rect = ScaledRect(box, scale);
        InvalidateRect(window, &rect, FALSE);
    }
}

void FaceWindow::SetHot(FaceSlot slot) {
    if (slot == hot) {
        return;
    }
    const FaceSlot old = hot;
    hot = slot;
    for (const FaceSlot changed : {old, slot}) {
        if (changed != FaceSlot::None && Plate(changed) != nullptr) {
            InvalidateRect(Plate(changed), nullptr, FALSE);
        }
    }
}

void FaceWindow::Paint(HDC dc, const RECT& screenArea) {
    ScaleDrawing(dc);
    // The area in the face's own pixels, rounded outwards.
    const RECT area{screenArea.left / scale, screenArea.top / scale, (screenArea.right + scale - 1) / scale,
                    (screenArea.bottom + scale - 1) / scale};
    DrawSkinPicture(frame, dc, 0, 0);
    // The blank panel first: the pages with a transparent background show it through.
    DrawSkinPicture(blank, dc, kContentLeft, kContentTop);
    DrawSkinPicture(contents, dc, kContentLeft, kContentTop);
    for (const FaceSlot slot : kFaceSlots) {
        const FaceBox box = ButtonBox(slot);
        const int set = buttonSets[SlotIndex(slot)];
        if (set >= 0 && set < kButtonSetCount) {
            DrawSkinPicture(buttonPictures[static_cast<std::size_t>(set)], dc, box.x, box.y);
        }
    }
    if (progressShown && bar) {
        const FaceBox barBox = BarBox(bar->Width(), bar->Height());
        const StripRange strips =
            StripsMeeting(area.left - barBox.x, area.right - 1 - barBox.x, bar->Width(), barPercent);
        for (int strip = strips.first; strip <= strips.last; ++strip) {
            DrawSkinPicture(bar, dc, kBarLeft + kStripPitch * strip, kBarTop);
        }
    }
    for (std::vector<FaceLabel>* list : {&titles, &labels}) {
        for (FaceLabel& label : *list) {
            RECT rect = LabelRect(label.box);
            RECT meet{};
            if (IntersectRect(&meet, &rect, &area)) {
                DrawFaceLabel(dc, label);
            }
        }
    }
}

void FaceWindow::DrawPlate(const DRAWITEMSTRUCT& item) {
    FaceSlot slot = FaceSlot::None;
    for (const FaceSlot candidate : kFaceSlots) {
        if (item.hwndItem == Plate(candidate)) {
            slot = candidate;
        }
    }
    if (slot == FaceSlot::None) {
        return;
    }
    const FaceBox box = ButtonBox(slot);
    const int set = buttonSets[SlotIndex(slot)];
    // What lies below the plate, then its picture, normal or hot.
    const int savedState = SaveDC(item.hDC);
    ScaleDrawing(item.hDC);
    DrawSkinPicture(frame, item.hDC, -box.x, -box.y);
    if (set >= 0 && set < kButtonSetCount) {
        const bool highlighted = slot == hot && !(flow && flow->Busy());
        DrawSkinPicture(buttonPictures[static_cast<std::size_t>(highlighted ? kButtonSetCount + set : set)],
                        item.hDC, 0, 0);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        const RECT& r = item.rcItem;
        const RECT mark{r.left + kFocusInset, r.top + kFocusInset, r.right - kFocusInset,
                        r.bottom - kFocusInset};
        HGDIOBJ previousBrush = SelectObject(item.hDC, GetStockObject(NULL_BRUSH));
        HPEN dark = CreatePen(PS_SOLID, 1, RGB(20, 24, 60));
        HGDIOBJ previousPen = SelectObject(item.hDC, dark);
        Rectangle(item.hDC, mark.left, mark.top, mark.right, mark.bottom);
        HPEN light = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
        SelectObject(item.hDC, light);
        SetBkMode(item.hDC, TRANSPARENT);
        Rectangle(item.hDC, mark.left, mark.top, mark.right, mark.bottom);
        SelectObject(item.hDC, previousPen);
        SelectObject(item.hDC, previousBrush);
        DeleteObject(dark);
        DeleteObject(light);
    }
    RestoreDC(item.hDC, savedState);
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

LRESULT CALLBACK FaceWindow::PlateProcedure(HWND plate, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR slot, DWORD_PTR self) {
    (void)plate;
    return reinterpret_cast<FaceWindow*>(self)->OnPlateMessage(static_cast<FaceSlot>(slot), message, wParam,
                                                               lParam);
}

LRESULT FaceWindow::OnPlateMessage(FaceSlot slot, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND plate = Plate(slot);
    switch (message) {
        case WM_MOUSEMOVE: {
            // With the left button alone held down, the highlight stays where it was.
            const bool holds = (wParam & MK_LBUTTON) != 0 && (wParam & (MK_SHIFT | MK_CONTROL)) == 0;
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            MapWindowPoints(plate, window, &at, 1);
            const FaceSlot under = HitTestButton(at.x / scale, at.y / scale);
            if (!holds) {
                SetHot(flow && flow->Busy() ? FaceSlot::None : under);
            }
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, plate, 0};
            TrackMouseEvent(&track);
            break;
        }
        case WM_MOUSELEAVE:
            if (GetCapture() != plate) {
                SetHot(FaceSlot::None);
            }
            break;
        case WM_LBUTTONUP: {
            mouseReleasing = true;  // the click the button sends from here is the mouse's
            const LRESULT result = DefSubclassProc(plate, message, wParam, lParam);
            mouseReleasing = false;
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            MapWindowPoints(plate, window, &at, 1);
            SetHot(flow && flow->Busy() ? FaceSlot::None : HitTestButton(at.x / scale, at.y / scale));
            return result;
        }
        case WM_LBUTTONDBLCLK:
            // A quick second click is a second press, as on the face of old.
            return DefSubclassProc(plate, WM_LBUTTONDOWN, wParam, lParam);
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (wParam == VK_SPACE && (lParam & (1 << 30)) != 0 && message == WM_KEYDOWN) {
                return 0;  // a held Space presses once
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(plate, message, wParam, lParam);
}

LRESULT FaceWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRunWindowMessage(message)) {
        if (flow) {
            mailbox.Deliver(flow->Receiver());
        }
        return 0;
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            // Composed off the screen and copied in one go: the pictures are drawn over each other, and
            // the progress page repaints its strips and figure for every percent.
            const RECT& area = paint.rcPaint;
            const int areaWidth = area.right - area.left;
            const int areaHeight = area.bottom - area.top;
            HDC composed = CreateCompatibleDC(dc);
            HBITMAP canvas =
                composed != nullptr ? CreateCompatibleBitmap(dc, areaWidth, areaHeight) : nullptr;
            if (canvas != nullptr) {
                HGDIOBJ previous = SelectObject(composed, canvas);
                const int savedState = SaveDC(composed);
                SetViewportOrgEx(composed, -area.left, -area.top, nullptr);
                Paint(composed, area);
                RestoreDC(composed, savedState);  // the copy below is in screen pixels, not scaled
                BitBlt(dc, area.left, area.top, areaWidth, areaHeight, composed, 0, 0, SRCCOPY);
                SelectObject(composed, previous);
                DeleteObject(canvas);
            } else {
                Paint(dc, area);
            }
            if (composed != nullptr) {
                DeleteDC(composed);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return frame ? 1 : DefWindowProcW(window, message, wParam, lParam);
        case WM_DRAWITEM:
            DrawPlate(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLOREDIT: {
            // The fields: dark grey text on white, as the face's labels.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, ColourRef(colour::kFieldText));
            SetBkColor(dc, ColourRef(colour::kFieldBackground));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id >= kFirstPlateId && id < kFirstPlateId + 3 && code == BN_CLICKED) {
                QueuePress(kFaceSlots[static_cast<std::size_t>(id - kFirstPlateId)], mouseReleasing);
                return 0;
            }
            if (id == IDCANCEL) {
                TryClose();
                return 0;
            }
            if (login) {
                login->OnCommand(id, code);
            }
            return 0;
        }
        case kPressMessage:
            OnPress(static_cast<FaceSlot>(wParam), lParam != 0);
            return 0;
        case WM_SETCURSOR:
            if (flow && flow->CheckingRouter()) {
                SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // the hourglass
                return TRUE;
            }
            break;
        case WM_NCHITTEST: {
            // The bare face moves the window, as a caption bar would.
            const LRESULT hit = DefWindowProcW(window, message, wParam, lParam);
            return hit == HTCLIENT ? HTCAPTION : hit;
        }
        case WM_DPICHANGED:
            // Moved to a display of another scale: the pictures, outline and fields for it.
            if (lParam != 0) {
                OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            }
            return 0;
        case kGetDpiScaledSize:
            // Asked before such a move what size the window wants there: the face's at the scale for
            // that display, so that the place the system suggests next has it.
            if (lParam != 0) {
                const FaceSize wanted = OuterSizeAt(FaceScaleForDpi(static_cast<int>(wParam)));
                *reinterpret_cast<SIZE*>(lParam) = SIZE{wanted.width, wanted.height};
                return TRUE;
            }
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kAboutCommand) {
                ShowAboutBox(window);
                return 0;
            }
            break;
        case WM_CLOSE:
            TryClose();
            return 0;
        case WM_DESTROY:
            mailbox.Close();
            login.reset();
            window = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void FaceWindow::PumpUntil(const std::atomic<bool>& done) {
    bool quit = false;
    int quitCode = 0;
    MSG message;
    while (!done.load(std::memory_order_acquire)) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            quitCode = static_cast<int>(message.wParam);
            break;
        }
        // The user's input to this window waits, as while an upload runs.
        if (IsInput(message.message) && window != nullptr &&
            (message.hwnd == window || IsChild(window, message.hwnd))) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (quit) {
        PostQuitMessage(quitCode);
    }
}

}  // namespace fwu::win
