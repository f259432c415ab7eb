// The Windows window as the wizard's view: what each page shows, the router check with the wait cursor,
// the progress page's strips and figures, the success page's line, and the message boxes.
#include <system_error>
#include <thread>

#include "win/FaceWindow.h"

// windows.h names the system's string loader LoadString; the program's own table is meant here.
#undef LoadString

#include "res/StringTable.h"
#include "router/Credential.h"
#include "wizard/ButtonStates.h"
#include "wizard/PageTexts.h"
#include "wizard/ProgressStrips.h"
#include "wizard/SkinPictures.h"

namespace fwu::win {

FaceLabel* FaceWindow::FindLabel(const char* name) {
    for (FaceLabel& label : labels) {
        if (label.name == name) {
            return &label;
        }
    }
    return nullptr;
}

void FaceWindow::SetLabelText(const char* name, const std::string& text) {
    if (FaceLabel* label = FindLabel(name)) {
        label->text = text;
        Invalidate(label->box);
    }
}

void FaceWindow::ShowPage(PageNumber newPage) {
    labels.clear();
    switch (newPage) {
        case PAGE_WELCOME:
            for (const PageLabelSpec& entry : WelcomePageLabels(info.releaseDate, info.firmwareDate)) {
                labels.push_back(MakeFaceLabel(entry));
            }
            break;
        case PAGE_LOGIN:
            login = std::make_unique<LoginEdits>(window, flow->Password(), flow->Address().OctetTexts(),
                                                 kMaxPasswordBytes, scale);
            labels.push_back(MakeFaceLabel(LoginStatusLabel()));
            break;
        case PAGE_VERIFY:
            for (const PageLabelSpec& entry :
                 VerifyPageLabels(info.model, flow->Run().RouterVersionShown(), flow->Run().UtilityVersion(),
                                  flow->Address().Dotted())) {
                labels.push_back(MakeFaceLabel(entry));
            }
            break;
        case PAGE_PROGRESS:
            labels.push_back(MakeFaceLabel(ProgressStatusLabel()));
            labels.push_back(MakeFaceLabel(PercentFigureLabel()));
            bar = LoadPicture(kBarType, kBarImageId);
            progressShown = true;
            break;
        case PAGE_DONE:
            labels.push_back(MakeFaceLabel(ConfirmationLabel()));
            break;
        default:
            break;
    }
    if (window != nullptr) {
        InvalidateRect(window, nullptr, FALSE);
        if (!login) {
            SetFocus(window);  // no button is marked until the user moves the focus
        }
    }
}

void FaceWindow::LeavePage(PageNumber oldPage) {
    if (oldPage == PAGE_LOGIN) {
        login.reset();
    }
    if (oldPage == PAGE_PROGRESS) {
        progressShown = false;
        bar.reset();
    }
    labels.clear();
}

void FaceWindow::EnterPage(PageNumber newPage) {
    contents = LoadPicture(kContentsType, ContentImageId(newPage));
    buttonSets = ButtonSetsForPage(newPage, buttonSets);
    ShowPage(newPage);
    ShowPlates();
}

std::optional<WizardView::TypedLogin> FaceWindow::ReadLogin() {
    if (!login) {
        return std::nullopt;
    }
    return TypedLogin{login->PasswordText(), login->OctetTexts()};
}

void FaceWindow::CheckStarted() {
    SetLabelText(kLoginStatusName, std::string(LoadString(IDS_CHECKING_ROUTER)));
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // the hourglass, until CheckEnded
}

std::optional<RouterCheckResult> FaceWindow::RunCheck(const std::function<RouterCheckResult()>& check) {
    // The check may wait on the router for many seconds: it runs on its own thread while this one keeps
    // the window painted, with the user's input held off.
    RouterCheckResult result;
    std::atomic<bool> finished{false};
    HWND target = window;
    std::thread thread;
    try {
        thread = std::thread([&] {
            result = check();
            finished.store(true, std::memory_order_release);
            PostMessageW(target, kCheckEndedMessage, 0, 0);  // wakes the loop below
        });
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    PumpUntil(finished);
    thread.join();
    return result;
}

void FaceWindow::CheckEnded() {
    SetLabelText(kLoginStatusName, std::string());
    POINT at{};
    GetCursorPos(&at);
    SetCursorPos(at.x, at.y);  // the cursor of what lies under the mouse again
}

void FaceWindow::ShowUploadStarted() {
    if (FaceLabel* status = FindLabel(kProgressStatusName)) {
        status->colour = ColourRef(colour::kStatusText);
    }
    SetLabelText(kProgressStatusName, ProgressStatusLabel().text);
    SetLabelText(kPercentFigureName, PercentFigureLabel().text);
}

void FaceWindow::ShowProgress(int percent) {
    if (!progressShown) {
        return;
    }
    SetLabelText(kPercentFigureName, std::to_string(percent) + '%');
    const int stripWidth = bar ? bar->Width() : kStripPitch;
    const int stripHeight = bar ? bar->Height() : kDefaultStripHeight;
    const BarPlan plan = PlanBarAdvance(barDrawn, barPercent, percent, stripHeight);
    barPercent = percent;
    barDrawn = plan.drawnCount;
    if (!plan.wipe.Empty()) {
        Invalidate(plan.wipe);
    } else if (plan.firstStrip > 0) {
        Invalidate(StripsBox(plan.firstStrip, plan.lastStrip, stripWidth, stripHeight));
    }
}

void FaceWindow::SetShownPercent(int percent) {
    barPercent = percent;  // from the next paint on; the strips drawn stay until the next message
}

void FaceWindow::ShowStatusText(int stringId) {
    SetLabelText(kProgressStatusName, std::string(LoadString(stringId)));
}

void FaceWindow::ShowUploadFailure(const std::string& causeText) {
    ShowProgress(0);  // wipes the drawn strips
    SetLabelText(kPercentFigureName, std::string());
    if (FaceLabel* status = FindLabel(kProgressStatusName)) {
        status->colour = ColourRef(colour::kWarningText);
    }
    SetLabelText(kProgressStatusName, causeText);
}

void FaceWindow::ShowConfirmation(std::optional<ConfirmationState> state, const std::string& version) {
    FaceLabel* line = FindLabel(kConfirmationName);
    if (line == nullptr) {
        return;
    }
    if (!state) {
        SetLabelText(kConfirmationName, std::string());  // no watch: nothing confirmed, and nothing disproved
        return;
    }
    const ConfirmationShown shown = ConfirmationLineFor(*state, version);
    line->colour = ColourRef(shown.colour);
    SetLabelText(kConfirmationName, shown.text);
}

void FaceWindow::ShowMessageText(const std::string& text, UINT style) {
    const std::wstring title = CodePageText(LoadString(IDS_APP_TITLE));
    MessageBoxW(window, CodePageText(text).c_str(), title.c_str(), style);
}

bool FaceWindow::AskYesNo(int stringId) {
    const std::wstring title = CodePageText(LoadString(IDS_APP_TITLE));
    return MessageBoxW(window, CodePageText(LoadString(stringId)).c_str(), title.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void FaceWindow::ShowError(int stringId) {
    ShowMessageText(std::string(LoadString(stringId)), MB_OK | MB_ICONERROR);
}

void FaceWindow::ShowErrorWithReason(int stringId, const std::string& reason) {
    ShowMessageText(std::string(LoadString(stringId)) + "\n\n" + reason, MB_OK | MB_ICONERROR);
}

void FaceWindow::Pause(int milliseconds) {
    if (window != nullptr) {
        UpdateWindow(window);  // the last percent painted before the window waits
    }
    Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

}  // namespace fwu::win
