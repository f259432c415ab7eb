// The main window of the Windows program: a frameless top-level window with a system menu and a taskbar
// button, sized to the face's frame picture plus its border and given the rounded outline. It is the
// wizard's view: it paints the frame, the content picture of the page shown, the three image buttons
// (focusable controls named by their captions, with their hot pictures) and the page's labels, shows the
// login page's fields, and forwards the buttons' presses, the keys and close requests to the page machine.
// The run's worker reaches it only through its mailbox (posted WM_USER + 1, WM_USER + 3, ...).
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "services/UpgradeServices.h"
#include "win/FaceScale.h"
#include "win/FaceText.h"
#include "win/LoginEdits.h"
#include "win/SkinPicture.h"
#include "win/WindowMailbox.h"
#include "wizard/ButtonStates.h"
#include "wizard/WizardFlow.h"

namespace fwu::win {

// The window's class name, by which a second start finds the first one's window.
inline constexpr const wchar_t* kFaceWindowClass = L"FwuFaceWindow";

// The outline: `kOutlineInset` pixels cut off every side, corners rounded by an ellipse of
// kCornerWidth x kCornerHeight (the outer size is FaceOuterSize's).
inline constexpr int kOutlineInset = 5;
inline constexpr int kCornerWidth = 20;
inline constexpr int kCornerHeight = 25;

// The control ids of the three button plates, in kFaceSlots order.
inline constexpr int kFirstPlateId = 1001;

// The window's own messages: a press of a button slot (wParam; lParam 1 when by the mouse), carried out
// from the window's queue since a press may destroy the control whose message is being handled; and the
// end of the router check's thread, which wakes the window's loop.
inline constexpr UINT kPressMessage = WM_APP + 1;
inline constexpr UINT kCheckEndedMessage = WM_APP + 2;
// The system menu's entry that opens the About box (the low four bits are the system's own).
inline constexpr UINT kAboutCommand = 0x0010;

// The region of the window's outline for an outer size in screen pixels, on a display drawing the face at
// `scale` (1, or 2 at 200 %); the caller owns it until it hands it to the window.
HRGN MakeWindowOutline(int width, int height, int scale = 1);

class FaceWindow final : private WizardView {
public:
    explicit FaceWindow(UpgradeServices& services);
    ~FaceWindow() override;
    FaceWindow(const FaceWindow&) = delete;
    FaceWindow& operator=(const FaceWindow&) = delete;

    // Makes the window (not yet shown), centred on the screen, and the wizard on its welcome page (the
    // default gateway is looked for here); false when the system made no window.
    bool Create(HINSTANCE instance, const wchar_t* title);
    HWND Handle() const { return window; }

    // Runs the window's messages until it is gone; answers the program's exit status for the run.
    int RunMessages();
    // Handles the messages queued now as RunMessages does, without waiting; false once the window is gone.
    bool HandleQueuedMessages();

    // What the page shown says, label by label (the header's titles first), as it is drawn.
    std::vector<FaceLabel> Labels() const;
    PageNumber Page() const { return flow ? flow->Page() : PAGE_WELCOME; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PlateProcedure(HWND plate, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR slot, DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPlateMessage(FaceSlot slot, UINT message, WPARAM wParam, LPARAM lParam);
    // Keys the window decides on before the focused control sees them: Enter, Escape and the Alt letters.
    // True when the key was taken.
    bool PreTranslateKey(const MSG& message);
    void HandleMessage(MSG& message);
    void Paint(HDC dc, const RECT& area);
    void DrawPlate(const DRAWITEMSTRUCT& item);
    void SetHot(FaceSlot slot);
    void Invalidate(const FaceBox& box);
    // Sets `dc` to draw in the face's own pixels at the window's scale.
    void ScaleDrawing(HDC dc) const;
    std::optional<SkinPicture> LoadPicture(const wchar_t* type, int id) const;
    // The pictures of the page shown at the window's scale, and the outer size for them.
    void LoadPictures();
    // The outer size at `atScale` for the frame picture loaded.
    FaceSize OuterSizeAt(int atScale) const;
    // WM_DPICHANGED: the window on a display of `dpi` dots per inch, where the system suggests `suggested`.
    void OnDpiChanged(int dpi, const RECT& suggested);
    // A press of a slot by the keyboard, or by the mouse's release over it (`byMouse`).
    void QueuePress(FaceSlot slot, bool byMouse = false);
    void OnPress(FaceSlot slot, bool byMouse);
    void TryClose();
    void ShowPlates();
    // Runs the window's messages (the input to this window held off) until `done` is set.
    void PumpUntil(const std::atomic<bool>& done);
    HWND Plate(FaceSlot slot) const { return plates[SlotIndex(slot)]; }

    // The wizard's view.
    void BeginPageChange() override {}
    void LeavePage(PageNumber page) override;
    void EnterPage(PageNumber page) override;
    void EndPageChange() override {}
    std::optional<TypedLogin> ReadLogin() override;
    void CheckStarted() override;
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;
    void CheckEnded() override;
    void ShowUploadStarted() override;
    void ShowProgress(int percent) override;
    void SetShownPercent(int percent) override;
    void ShowStatusText(int stringId) override;
    void ShowUploadFailure(const std::string& causeText) override;
    void ShowConfirmation(std::optional<ConfirmationState> state, const std::string& version) override;
    bool AskYesNo(int stringId) override;
    void ShowError(int stringId) override;
    void ShowErrorWithReason(int stringId, const std::string& reason) override;
    void Pause(int milliseconds) override;
    void EndRun() override { TryClose(); }
    void ShowPage(PageNumber page);
    void ShowMessageText(const std::string& text, UINT style);
    FaceLabel* FindLabel(const char* name);
    void SetLabelText(const char* name, const std::string& text);

    UpgradeServices& services;
    WindowMailbox mailbox;
    std::unique_ptr<WizardFlow> flow;
    FirmwareInfo info;

    HWND window = nullptr;
    std::optional<SkinPicture> frame;
    std::optional<SkinPicture> blank;
    std::optional<SkinPicture> contents;
    std::optional<SkinPicture> bar;
    std::array<std::optional<SkinPicture>, 2 * kButtonSetCount> buttonPictures;  // normal, then hot
    std::array<int, 3> buttonSets;
    std::array<HWND, 3> plates{};
    FaceSlot hot = FaceSlot::None;
    bool mouseReleasing = false;  // a plate's click now comes from the mouse's release
    int scale = 1;                // screen pixels per pixel of the face
    int width = kDefaultWidth;    // the outer size in screen pixels
    int height = kDefaultHeight;

    std::vector<FaceLabel> titles;  // the header's, for the whole run
    std::vector<FaceLabel> labels;  // the page's
    std::unique_ptr<LoginEdits> login;
    bool progressShown = false;
    int barPercent = 0;
    int barDrawn = 1;
    bool closing = false;
};

}  // namespace fwu::win
