// The Windows window's own glue under wine: the run's mailbox over the window's message queue, the
// login page's octet fields applying the key rules and the range check as a user's keys reach them, and
// the labels' weight across paints.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "win/AboutBox.h"
#include "win/FaceScale.h"
#include "win/FaceText.h"
#include "win/FaceWindow.h"
#include "win/LoginEdits.h"
#include "win/WindowMailbox.h"

// windows.h names the system's string loader LoadString; the program's own table is meant here.
#undef LoadString

#include "res/StringTable.h"

namespace fwu::win {
namespace {

struct Recorder final : RunMailboxReceiver {
    std::vector<std::string> told;
    void OnProgress(const UploadProgress& progress) override {
        told.push_back("progress " + std::to_string(progress.percent));
    }
    void OnPercentReset(std::uint64_t bytes) override { told.push_back("reset " + std::to_string(bytes)); }
    void OnStatusText(int id) override { told.push_back("status " + std::to_string(id)); }
    void OnDone(const UploadVerdict& verdict) override {
        told.push_back("done " + std::to_string(verdict.result));
    }
    void OnConfirmation(int round, ConfirmationState, const std::string& version) override {
        told.push_back("confirmation " + std::to_string(round) + " " + version);
    }
    void OnSleepLock(platform::SleepLockTaken&) override { told.push_back("sleep lock"); }
};

// A hidden top-level window of the window class every program has, to post to and to hold the fields.
HWND MakeWindow() {
    return CreateWindowExW(0, L"STATIC", L"test", WS_POPUP, 0, 0, 560, 420, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Hands every announced post in the window's queue to `receiver`; answers the messages' numbers.
std::vector<UINT> DeliverQueued(HWND window, WindowMailbox& mailbox, RunMailboxReceiver& receiver) {
    std::vector<UINT> numbers;
    MSG message;
    while (PeekMessageW(&message, window, WM_USER, WM_USER + 100, PM_REMOVE)) {
        EXPECT_TRUE(IsRunWindowMessage(message.message));
        numbers.push_back(message.message);
        mailbox.Deliver(receiver);
    }
    return numbers;
}

// Polls `state` every 20 ms until it holds, for up to 30 s (wine on a busy machine may take seconds to
// show or end a box); answers whether it held.
bool WaitFor(const std::function<bool()>& state) {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (!state()) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// The About box once some thread shows it, or null when none showed within the wait.
HWND WaitForAboutBox() {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", L"About Firmware Upgrade Utility")) != nullptr; });
    return box;
}

TEST(WindowMailbox, AnnouncesEachPostByItsNumberAndDeliversInTheOrderPosted) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    WindowMailbox mailbox;
    Recorder recorder;
    mailbox.PostStatusText(7);  // before the window is set: nowhere to go
    mailbox.SetWindow(window);
    std::thread worker([&] {
        mailbox.PostUpgradeProgress({5, 100});
        mailbox.ResetPercent(42);
        mailbox.PostStatusText(9);
        mailbox.PostConfirmation(2, ConfirmationState::Confirmed, "v2.00.22");
        mailbox.PostUpgradeVerdict(UploadVerdict{1});
    });
    worker.join();
    EXPECT_EQ(DeliverQueued(window, mailbox, recorder),
              (std::vector<UINT>{WM_USER + 3, WM_USER + 4, WM_USER + 5, WM_USER + 6, WM_USER + 1}));
    EXPECT_EQ(recorder.told, (std::vector<std::string>{"progress 5", "reset 42", "status 9",
                                                       "confirmation 2 v2.00.22", "done 1"}));
    // Once closed, queued posts are dropped and later ones go nowhere.
    mailbox.PostStatusText(11);
    mailbox.Close();
    mailbox.PostStatusText(12);
    recorder.told.clear();
    DeliverQueued(window, mailbox, recorder);
    EXPECT_TRUE(recorder.told.empty());
    DestroyWindow(window);
}

// A key as the message loop hands it to the field it was typed in: the key, then its character.
void Type(HWND field, int key, wchar_t character) {
    SendMessageW(field, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    if (character != 0) {
        SendMessageW(field, WM_CHAR, character, 1);
    }
}

// Types `keys` into whichever field has the focus: digits, ' ' (Space), '.' (the keypad's decimal
// point), '<' (Backspace) and letters.
void TypeKeys(const std::string& keys) {
    for (const char key : keys) {
        HWND field = GetFocus();
        if (key >= '0' && key <= '9') {
            Type(field, key, static_cast<wchar_t>(key));
        } else if (key == ' ') {
            Type(field, VK_SPACE, L' ');
        } else if (key == '.') {
            Type(field, VK_DECIMAL, L'.');
        } else if (key == '<') {
            Type(field, VK_BACK, L'\b');
        } else {
            Type(field, std::toupper(static_cast<unsigned char>(key)), static_cast<wchar_t>(key));
        }
        // The window's part: the range check on each change of an octet.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

// The window procedure's part of the fields: their notifications go to the login fields.
LoginEdits* shownFields = nullptr;
WNDPROC staticProcedure = nullptr;
LRESULT CALLBACK ForwardCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && shownFields != nullptr) {
        shownFields->OnCommand(LOWORD(wParam), HIWORD(wParam));
    }
    return CallWindowProcW(staticProcedure, window, message, wParam, lParam);
}

TEST(LoginEdits, OctetFieldsFollowTheKeyRules) {
    struct Case {
        const char* keys;
        RouterAddress::Octets octets;
        int focusedOctet;  // -1: the password field
    };
    const Case cases[] = {
        {"", {"", "", "", ""}, -1},
        {"192 168.1 1", {"192", "168", "1", "1"}, 3},  // Space and the decimal point move on
        {"19216811", {"192", "168", "11", ""}, 2},     // a full octet moves on by itself
        {"1a2", {"12", "", "", ""}, 0},                // letters are refused
        {"0 05", {"0", "5", "", ""}, 1},               // no zero in front, a digit replaces a lone zero
        {"300", {"30", "", "", ""}, 1},                // above 255: the last accepted number stays
        {"12 <3", {"13", "0", "", ""}, 0},  // Backspace at an octet's start shortens the one before
        {"  ", {"", "", "", ""}, 0},        // Space in an empty octet stays there
    };
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    staticProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardCommands)));
    ShowWindow(window, SW_SHOW);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        LoginEdits fields(window, "rodel", {"", "", "", ""}, 188);
        shownFields = &fields;
        EXPECT_EQ(GetFocus(), fields.PasswordField());
        EXPECT_EQ(fields.PasswordText(), "rodel");
        if (c.keys[0] != '\0') {
            SetFocus(GetDlgItem(window, kFirstOctetFieldId));
        }
        TypeKeys(c.keys);
        shownFields = nullptr;
        EXPECT_EQ(fields.OctetTexts(), c.octets);
        const HWND expected = c.focusedOctet < 0 ? fields.PasswordField()
                                                 : GetDlgItem(window, kFirstOctetFieldId + c.focusedOctet);
        EXPECT_EQ(GetFocus(), expected);
    }
    DestroyWindow(window);
}

TEST(FaceText, CodePageTextRoundTrips) {
    EXPECT_EQ(CodePageBytes(CodePageText("Firmware Ver.: v2.00.22")), "Firmware Ver.: v2.00.22");
    EXPECT_TRUE(CodePageText("").empty());
}

// A "+" changes a label's weight for good, as on the other window: the next paint starts from it.
TEST(FaceText, PaintKeepsTheWeightAPlusLeaves) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    FaceLabel label = MakeFaceLabel(PercentFigureLabel());
    label.bold = false;
    const struct {
        const char* text;
        bool boldAfter;
    } paints[] = {{"plain", false}, {"ab+cd", true}, {"plain", true}, {"a+b+c", false}};
    for (const auto& p : paints) {
        label.text = p.text;
        DrawFaceLabel(dc, label);
        EXPECT_EQ(label.bold, p.boldAfter) << p.text;
    }
    DeleteDC(dc);
}

// The router and the PC as the window's test sees them: a gateway, a router that passes the check.
struct FakeServices final : UpgradeServices {
    std::vector<std::string> checked;
    std::string FindDefaultGateway(const std::function<void(const std::string&)>&) override {
        return "10.0.0.1";
    }
    FirmwareInfo LoadFirmwareInfo() override {
        return {"NOV 27, 2006", "v2.00.22", "ZPR8800N", "NOV 27,2006", "image.bin"};
    }
    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) override {
        checked.push_back(address.Dotted() + " " + credential);
        return RouterCheckResult{true, std::string("v2.00.20")};
    }
    bool CarriedImageIntact() override { return true; }
    UploadWindow* worker = nullptr;  // where the last upload started posts, as its worker would
    int starts = 0;
    bool StartUploadJob(const UploadTarget&, UploadWindow& window) override {
        worker = &window;
        ++starts;
        return true;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
};

// A key as the keyboard posts it to the window: WM_KEYDOWN, or WM_SYSKEYDOWN with Alt.
void PostKey(HWND target, UINT message, WPARAM key) {
    PostMessageW(target, message, key, 1);
}

std::string LabelText(const FaceWindow& face, const std::string& name) {
    for (const FaceLabel& label : face.Labels()) {
        if (label.name == name) {
            return label.text;
        }
    }
    return "(none)";
}

TEST(FaceWindow, KeysLeadThroughThePagesAsOnTheOtherWindow) {
    FakeServices services;
    FaceWindow face(services);
    ASSERT_TRUE(face.Create(GetModuleHandleW(nullptr), L"face test"));
    HWND window = face.Handle();
    ShowWindow(window, SW_SHOW);
    EXPECT_TRUE(face.HandleQueuedMessages());
    EXPECT_EQ(face.Page(), PAGE_WELCOME);
    EXPECT_EQ(LabelText(face, "modelTitle"), "Torvane ZPR8800N");
    EXPECT_EQ(LabelText(face, "releaseDateLabel"), "NOV 27,2006");
    // The plates are named by what they do; Enter on the bare window and Alt+B (no Back here) do nothing.
    wchar_t caption[32] = {};
    GetWindowTextW(GetDlgItem(window, kFirstPlateId + 1), caption, 32);
    EXPECT_STREQ(caption, L"Exit");
    PostKey(window, WM_KEYDOWN, VK_RETURN);
    PostKey(window, WM_SYSKEYDOWN, 'B');
    face.HandleQueuedMessages();
    EXPECT_EQ(face.Page(), PAGE_WELCOME);

    // Alt+N: the login page, its fields filled from the proposed address, the password's field first in
    // the tab order, then the octets, then the plates.
    PostKey(window, WM_SYSKEYDOWN, 'N');
    face.HandleQueuedMessages();
    ASSERT_EQ(face.Page(), PAGE_LOGIN);
    HWND password = GetDlgItem(window, kPasswordFieldId);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(GetFocus(), password);
    std::vector<HWND> order;
    for (HWND at = password; order.size() < 8; at = GetNextDlgTabItem(window, at, FALSE)) {
        order.push_back(at);
    }
    const std::vector<HWND> expected{password,
                                     GetDlgItem(window, kFirstOctetFieldId),
                                     GetDlgItem(window, kFirstOctetFieldId + 1),
                                     GetDlgItem(window, kFirstOctetFieldId + 2),
                                     GetDlgItem(window, kFirstOctetFieldId + 3),
                                     GetDlgItem(window, kFirstPlateId),
                                     GetDlgItem(window, kFirstPlateId + 1),
                                     GetDlgItem(window, kFirstPlateId + 2)};
    EXPECT_EQ(order, expected);
    // Each field is named for screen readers by the hidden static text before it.
    for (const auto& [field, name] : {std::pair{password, L"Router's Password"},
                                      std::pair{expected[4], L"Router's IP Address, part 4"}}) {
        HWND label = GetWindow(field, GW_HWNDPREV);
        wchar_t text[64] = {};
        wchar_t kind[16] = {};
        GetWindowTextW(label, text, 64);
        GetClassNameW(label, kind, 16);
        EXPECT_STREQ(text, name);
        EXPECT_EQ(_wcsicmp(kind, L"STATIC"), 0);
        EXPECT_FALSE(IsWindowVisible(label));
    }
    EXPECT_EQ(ControlText(GetDlgItem(window, kFirstOctetFieldId + 3)), "1");

    // Enter in the password field: the router is checked with the typed values, then the verify page
    // names what the check found.
    SetWindowTextW(password, L"secret");
    PostKey(password, WM_KEYDOWN, VK_RETURN);
    face.HandleQueuedMessages();
    ASSERT_EQ(face.Page(), PAGE_VERIFY);
    ASSERT_EQ(services.checked.size(), 1U);
    EXPECT_EQ(services.checked[0].substr(0, 9), "10.0.0.1 ");
    EXPECT_EQ(GetDlgItem(window, kPasswordFieldId), nullptr);  // the fields went with their page
    EXPECT_EQ(LabelText(face, "routerVersionLabel"), "v2.00.20");
    EXPECT_EQ(LabelText(face, "routerAddressLabel"), "10.0.0.1");

    // The system menu has the About entry.
    HMENU system = GetSystemMenu(window, FALSE);
    ASSERT_NE(system, nullptr);
    EXPECT_GT(GetMenuStringW(system, kAboutCommand, caption, 32, MF_BYCOMMAND), 0);

    // Its About box: a dialog owned by the window, with the version and where the log is.
    std::wstring aboutText;
    std::thread reader([&] {
        if (HWND box = WaitForAboutBox()) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, kAboutTextId, text, 512);
            aboutText = text;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    PostMessageW(window, WM_SYSCOMMAND, kAboutCommand, 0);
    face.HandleQueuedMessages();
    reader.join();
    EXPECT_NE(aboutText.find(L"\r\nVersion "), std::wstring::npos)
        << std::string(aboutText.begin(), aboutText.end());
    EXPECT_NE(aboutText.find(CodePageText(LoadString(IDS_ABOUT_LOG))), std::wstring::npos);

    // Alt+B twice back to the welcome page; the typed password is kept for the login page.
    PostKey(window, WM_SYSKEYDOWN, 'B');
    face.HandleQueuedMessages();
    EXPECT_EQ(face.Page(), PAGE_LOGIN);
    EXPECT_EQ(ControlText(GetDlgItem(window, kPasswordFieldId)), "secret");
    PostKey(window, WM_SYSKEYDOWN, 'B');
    face.HandleQueuedMessages();
    EXPECT_EQ(face.Page(), PAGE_WELCOME);

    // Forward again to the verify page, and Alt+U: the upload starts on the progress page. The worker's
    // posts reach the page through the window's queue: the percent, then a transfer lost part-way, with
    // Retry in the second slot; Alt+R starts again, and a success leads to the last page.
    PostKey(window, WM_SYSKEYDOWN, 'N');
    face.HandleQueuedMessages();
    PostKey(GetDlgItem(window, kPasswordFieldId), WM_KEYDOWN, VK_RETURN);
    face.HandleQueuedMessages();
    ASSERT_EQ(face.Page(), PAGE_VERIFY);
    PostKey(window, WM_SYSKEYDOWN, 'U');
    face.HandleQueuedMessages();
    ASSERT_EQ(face.Page(), PAGE_PROGRESS);
    ASSERT_EQ(services.starts, 1);
    EXPECT_EQ(LabelText(face, "percentFigure"), "1%");
    services.worker->PostUpgradeProgress({40, 1000});
    face.HandleQueuedMessages();
    EXPECT_EQ(LabelText(face, "percentFigure"), "40%");
    // While it runs, the close button's key waits; under the mouse it asks to stop, which the worker
    // cannot here, and the status line says so; Escape does not close the window.
    PostKey(window, WM_SYSKEYDOWN, 'X');
    face.HandleQueuedMessages();
    EXPECT_EQ(LabelText(face, "progressStatus"), "Upgrading...");
    HWND closePlate = GetDlgItem(window, kFirstPlateId + 2);
    SendMessageW(closePlate, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(closePlate, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    face.HandleQueuedMessages();
    EXPECT_EQ(LabelText(face, "progressStatus"), std::string(LoadString(IDS_STOP_REFUSED)));
    PostKey(window, WM_KEYDOWN, VK_ESCAPE);
    services.worker->PostUpgradeVerdict(UploadVerdict{0, UploadOutcome::LostInTransfer, 40});
    face.HandleQueuedMessages();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(face.Page(), PAGE_PROGRESS);
    EXPECT_EQ(LabelText(face, "percentFigure"), "");
    EXPECT_NE(LabelText(face, "progressStatus"), "Upgrading...");
    GetWindowTextW(GetDlgItem(window, kFirstPlateId + 1), caption, 32);
    EXPECT_STREQ(caption, L"Retry");
    PostKey(window, WM_SYSKEYDOWN, 'R');
    face.HandleQueuedMessages();
    ASSERT_EQ(services.starts, 2);
    EXPECT_EQ(LabelText(face, "progressStatus"), "Upgrading...");
    services.worker->PostUpgradeProgress({100, 3000});
    services.worker->PostUpgradeVerdict(UploadVerdict{1, UploadOutcome::Restarted, 100});
    face.HandleQueuedMessages();
    EXPECT_EQ(face.Page(), PAGE_DONE);
    EXPECT_EQ(LabelText(face, "percentFigure"), "(none)");  // the progress page's labels went with it

    // Escape: nothing runs, so the window closes.
    PostKey(window, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(face.HandleQueuedMessages());
    EXPECT_FALSE(IsWindow(window));
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FaceScale, TheFaceKeepsItsOwnSizeAtEachScale) {
    struct Case {
        int dpi;
        int frameWidth, frameHeight;  // 0: no frame picture
        RECT suggested;
        int scale;
        RECT placed;
    };
    const Case cases[] = {
        // 100 % and 200 %: the system's suggestion is the face's size, taken as it is.
        {96, 560, 420, {10, 20, 581, 451}, 1, {10, 20, 581, 451}},
        {192, 560, 420, {-1142, 0, 0, 862}, 2, {-1142, 0, 0, 862}},  // a display left of the main one
        {191, 0, 0, {0, 0, 560, 420}, 1, {0, 0, 560, 420}},
        // 150 %: the face stays 1x, centred where the system would have put it 1.5 times larger.
        {144, 560, 420, {100, 100, 957, 747}, 1, {243, 208, 814, 639}},
        // 300 %: 2x, centred likewise, also at negative places.
        {288, 0, 0, {-1680, -1260, 0, 0}, 2, {-1400, -1050, -280, -210}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const int scale = FaceScaleForDpi(c.dpi);
        EXPECT_EQ(scale, c.scale);
        const RECT placed = PlaceOnDisplay(c.suggested, FaceOuterSize(c.frameWidth, c.frameHeight, scale));
        EXPECT_EQ(std::vector<LONG>({placed.left, placed.top, placed.right, placed.bottom}),
                  std::vector<LONG>({c.placed.left, c.placed.top, c.placed.right, c.placed.bottom}));
    }
}

TEST(FaceScale, StartsFromTheWindowsOwnDpiThenItsDisplaysThenTheSystems) {
    struct Case {
        int windowDpi, monitorDpi, systemDpi;
        int dpi;
    };
    const Case cases[] = {
        {192, 96, 96, 192},  // the window on a 200 % display beside a main one at 100 %
        {96, 192, 192, 96},  // and the other way round
        {0, 192, 96, 192},   // a system that cannot tell a window's: its display's
        {0, 0, 144, 144},    // nor a display's: the system's
        {-1, 0, 0, 96},      // nothing told at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.windowDpi << " " << c.monitorDpi << " " << c.systemDpi);
        EXPECT_EQ(StartingDpi(c.windowDpi, c.monitorDpi, c.systemDpi), c.dpi);
    }
}

// A window's rectangle relative to `parent`'s client area as left, top, right, bottom.
std::vector<LONG> RectIn(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

TEST(FaceWindow, MovedToADisplayOfAnotherScaleRedoesItsOutlineAndControls) {
    // The window under test carries no pictures: its face is 560 x 420 at 1x.
    struct Case {
        int dpi;
        RECT suggested;
        std::vector<LONG> window;  // on the screen
        int scale;                 // what the outline, the plates and the fields follow
    };
    const Case cases[] = {
        {192, {40, 30, 1160, 870}, {40, 30, 1160, 870}, 2},
        {144, {10, 10, 850, 640}, {150, 115, 710, 535}, 1},  // the suggestion 1.5 times larger: centred
        {96, {5, 6, 565, 426}, {5, 6, 565, 426}, 1},
        {192, {0, 0, 1120, 840}, {0, 0, 1120, 840}, 2},
    };
    FakeServices services;
    FaceWindow face(services);
    ASSERT_TRUE(face.Create(GetModuleHandleW(nullptr), L"face test"));
    HWND window = face.Handle();
    ShowWindow(window, SW_SHOW);
    PostMessageW(window, WM_SYSKEYDOWN, 'N', 1);
    face.HandleQueuedMessages();
    ASSERT_EQ(face.Page(), PAGE_LOGIN);
    HWND password = GetDlgItem(window, kPasswordFieldId);
    SetWindowTextW(password, L"typed");
    SetFocus(GetDlgItem(window, kFirstOctetFieldId + 2));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        // Asked first for its size there: the face's at the scale, never the display's ratio.
        SIZE wanted{};
        EXPECT_TRUE(
            SendMessageW(window, 0x02E4 /* WM_GETDPISCALEDSIZE */, c.dpi, reinterpret_cast<LPARAM>(&wanted)));
        EXPECT_EQ(std::vector<LONG>({wanted.cx, wanted.cy}),
                  std::vector<LONG>({560L * c.scale, 420L * c.scale}));
        RECT suggested = c.suggested;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        face.HandleQueuedMessages();
        RECT shown{};
        GetWindowRect(window, &shown);
        EXPECT_EQ(std::vector<LONG>({shown.left, shown.top, shown.right, shown.bottom}), c.window);
        const LONG s = c.scale;
        // The outline: a round rectangle leaves out its last row and column.
        RECT outline{};
        ASSERT_NE(GetWindowRgnBox(window, &outline), ERROR);
        EXPECT_EQ(std::vector<LONG>({outline.left, outline.top, outline.right, outline.bottom}),
                  std::vector<LONG>({5 * s, 5 * s, 555 * s - 1, 415 * s - 1}));
        // Next's plate and the password and last octet fields where the face has them at the scale.
        EXPECT_EQ(RectIn(window, GetDlgItem(window, kFirstPlateId)),
                  std::vector<LONG>({440 * s, 280 * s, 545 * s, 328 * s}));
        EXPECT_EQ(RectIn(window, password), std::vector<LONG>({185 * s, 285 * s, 355 * s, 310 * s}));
        EXPECT_EQ(RectIn(window, GetDlgItem(window, kFirstOctetFieldId + 3)),
                  std::vector<LONG>({320 * s, 238 * s, 355 * s, 263 * s}));
        // The fields' fonts follow, and what was typed and the focus stay.
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(password, WM_GETFONT, 0, 0)), sizeof(font), &font);
        EXPECT_EQ(font.lfHeight, -19 * s);
        EXPECT_EQ(ControlText(password), "typed");
        EXPECT_EQ(GetFocus(), GetDlgItem(window, kFirstOctetFieldId + 2));
    }
}

TEST(AboutBox, TextNamesTheProgramItsVersionCopyrightAndLog) {
    EXPECT_EQ(AboutText("Firmware Upgrade Utility", "1.5.1.2", "Copyright (C) 2026 Torvane.",
                        "Log: ", "C:\\Users\\\xc3\xa9\\upgrade.log"),
              "Firmware Upgrade Utility\r\nVersion 1.5.1.2\r\nCopyright (C) 2026 Torvane.\r\n"
              "Installs the router firmware carried inside this program.\r\n\r\n"
              "Log: C:\\Users\\\xc3\xa9\\upgrade.log");
    EXPECT_EQ(
        AboutText("T", "1", "C", "Log: ", ""),
        "T\r\nVersion 1\r\nC\r\nInstalls the router firmware carried inside this program.\r\n\r\nLog: ");
}

// Opens the About box from the system menu and, while it shows, lets `act` look at it and end it from
// another thread (the box runs its own modal loop on this one); answers whether it ended by itself.
bool WithAboutBox(FaceWindow& face, const std::function<void(HWND box)>& act) {
    bool ended = false;
    std::thread other([&] {
        HWND box = WaitForAboutBox();
        if (box == nullptr) {
            return;
        }
        act(box);
        // Wine on a display without a window manager takes about 2 s to take a box away, more on a busy
        // machine.
        ended = WaitFor([&] { return !IsWindow(box); });
        if (!ended) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);  // so that the test goes on
        }
    });
    PostMessageW(face.Handle(), WM_SYSCOMMAND, kAboutCommand, 0);
    face.HandleQueuedMessages();
    other.join();
    return ended;
}

TEST(AboutBox, ShowsSelectableTextOverTheFaceAndEndsByItsKeys) {
    struct Case {
        const char* how;
        int control;  // where the key goes: the OK button or the text
        UINT message;
        WPARAM key;
    };
    const Case cases[] = {
        {"Escape on OK", IDOK, WM_KEYDOWN, VK_ESCAPE},
        {"Enter on OK", IDOK, WM_KEYDOWN, VK_RETURN},
        {"Escape in the text", kAboutTextId, WM_KEYDOWN, VK_ESCAPE},
        {"Enter in the text", kAboutTextId, WM_KEYDOWN, VK_RETURN},
        {"the close box", 0, WM_CLOSE, 0},
    };
    FakeServices services;
    FaceWindow face(services);
    ASSERT_TRUE(face.Create(GetModuleHandleW(nullptr), L"face test"));
    ShowWindow(face.Handle(), SW_SHOW);
    face.HandleQueuedMessages();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HWND owner = nullptr;
        bool faceEnabled = true;
        bool readOnly = false;
        std::wstring shown;
        std::wstring copied;
        const bool ended = WithAboutBox(face, [&](HWND box) {
            owner = GetWindow(box, GW_OWNER);
            faceEnabled = IsWindowEnabled(face.Handle()) != FALSE;
            HWND text = GetDlgItem(box, kAboutTextId);
            readOnly = (GetWindowLongW(text, GWL_STYLE) & ES_READONLY) != 0;
            wchar_t buffer[1024] = {};
            GetWindowTextW(text, buffer, 1024);
            shown = buffer;
            // Selected whole and copied, as the user's Ctrl+A, Ctrl+C do.
            SendMessageW(text, EM_SETSEL, 0, -1);
            SendMessageW(text, WM_COPY, 0, 0);
            if (OpenClipboard(nullptr)) {
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                        copied = chars;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
            }
            HWND target = c.control == 0 ? box : GetDlgItem(box, c.control);
            PostMessageW(target, c.message, c.key, c.message == WM_KEYDOWN ? 1 : 0);
        });
        EXPECT_TRUE(ended);
        EXPECT_EQ(owner, face.Handle());
        EXPECT_FALSE(faceEnabled);  // modal: the face takes no input while the box shows
        EXPECT_TRUE(readOnly);
        EXPECT_EQ(shown.rfind(L"Firmware Upgrade Utility\r\nVersion ", 0), 0U);
        EXPECT_NE(shown.find(L"Copyright"), std::wstring::npos);
        EXPECT_EQ(copied, shown);
        EXPECT_TRUE(IsWindowEnabled(face.Handle()));
    }
}

}  // namespace
}  // namespace fwu::win
