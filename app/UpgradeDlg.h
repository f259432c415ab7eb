// CUpgradeDlg: the main window, the view of the upgrade sequence (upgrade/UpgradeSequence.h), which owns
// the state of the run and its decisions. The window shows the pages it is told to, forwards the buttons
// and the worker's messages to it, asks the user its questions and runs the router check with the window
// still painting. Its face is painted from the skin pictures; three image buttons are worked by its own
// mouse handling, and a press anywhere else drags the frameless window.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/DialogServices.h"
#include "app/FaceButtons.h"
#include "app/UpgradeServices.h"
#include "router/RouterAddress.h"
#include "transfer/UploadWindow.h"
#include "upgrade/UpgradeSequence.h"

class QMenu;

namespace fwu {

class CSkinLabel;
class ConfirmationLine;
class ConfirmationWatch;
class FaceKeyboard;
class LoginFields;
class PageLabels;
class ProgressDisplay;

class CUpgradeDlg : public QDialog, public UploadWindow, public UpgradeFrontEnd {
    Q_OBJECT

public:
    // Builds and initialises the window (shape, pictures, proposed address, firmware texts, welcome
    // page), all before it is first shown. `services` must outlive the window.
    explicit CUpgradeDlg(UpgradeServices& services, DialogServices hooks = SystemDialogServices(),
                         QWidget* parent = nullptr);
    ~CUpgradeDlg() override;

    // What the upload worker may do to the window; every one of these is safe from the worker thread.
    void PostUpgradeProgress(int percent) override;
    void ResetPercent() override;
    void SetStatusText(int stringId, int argument) override;  // waits until the window has the text
    void PostUpgradeDone(unsigned result) override;
    void PostUpgradeVerdict(const UploadVerdict& verdict) override;

    // One page forward or back, as the sequence allows.
    void ChangePage(bool back) { sequence->ChangePage(back); }

    // What the sequence asks of the window, on the window thread.
    void BeginPageChange() override;
    void LeavePage(PageNumber page) override;
    void EnterPage(PageNumber page) override;
    void EndPageChange() override;
    std::optional<TypedLogin> ReadLogin() override;
    void CheckStarted() override;
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;
    void CheckEnded() override;
    int ShowProgress(int percent) override;
    void SetShownPercent(int percent) override;
    void ShowUploadFailure(const UploadVerdict& verdict, const std::string& causeText) override;
    bool AskYesNo(int stringId) override { return hooks.askYesNo(this, stringId); }
    void ShowError(int stringId) override { hooks.showError(this, stringId); }
    void Pause(int milliseconds) override { hooks.pause(milliseconds); }  // the window does not run meanwhile
    void EndRun() override { reject(); }
    void ShowUploadStarted() override;
    void ShowErrorWithReason(int stringId, const std::string& reason) override {
        hooks.showErrorDetail(this, stringId, reason);
    }

    // Ends the window with the cancel result; ignored while the router is checked. While an upload runs
    // it asks whether to stop the transfer (UpgradeSequence::RequestStop) and the window stays.
    void reject() override;
    void done(int result) override;  // the watch of the router ends with the window

    // Processes the window's events until no upload runs (at once when none does). Whatever ended the
    // window's event loop, the window must not go while the worker may still write to it.
    void WaitForUploadEnd();

    // Works the button in `slot` (1..3) as a left-button release over it does; the keyboard's presses
    // come here too. Ignored while busy or while the router is checked, and on a blank plate.
    void PressButton(int slot);

    // The face's context menu: Minimise, Close, a separator and the About entry.
    std::unique_ptr<QMenu> CreateFaceMenu();

    // Read-only views of the sequence's state and the window's.
    const UpgradeSequence& Sequence() const { return *sequence; }
    PageNumber Page() const { return sequence->Page(); }
    bool Busy() const { return sequence->Busy(); }
    int Percent() const { return sequence->Percent(); }
    bool PageChanging() const { return pageChanging; }
    bool CheckingRouter() const { return sequence->CheckingRouter(); }
    bool ProgressBarShown() const { return progressBarShown; }
    int HotButton() const { return faceButtons.Hot(); }
    int DrawnHotButton() const { return faceButtons.DrawnHot(); }
    const std::array<int, 3>& ButtonImageSet() const { return buttonImageSet; }
    const fwu::RouterAddress& Address() const { return sequence->Address(); }
    const std::string& Password() const { return sequence->Password(); }
    const std::string& RouterVersion() const { return sequence->RouterVersion(); }
    const std::string& UtilityVersion() const { return sequence->UtilityVersion(); }
    const UploadRequest& PreparedRequest() const { return sequence->PreparedRequest(); }
    QSize WindowSize() const { return {windowWidth, windowHeight}; }
    const QRegion& WindowRegion() const { return windowRegion; }
    CSkinLabel* ModelTitle() const { return modelTitle; }
    CSkinLabel* VersionTitle() const { return versionTitle; }
    LoginFields* Login() const { return loginFields.get(); }
    ProgressDisplay* Progress() const { return progressDisplay.get(); }
    FaceKeyboard* Keyboard() const { return faceKeyboard.get(); }
    // The success page's line about the router's version after its restart (none on other pages).
    CSkinLabel* ConfirmationLabel() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void OnInitDialog();
    void LoadFrameImage();
    void ShowPage(PageNumber newPage);
    void SuppressLabelBackgrounds(bool suppress);
    void ApplyStatusText(const QString& text);
    void FreeSkinImages();
    void PageShownToKeyboard();

    UpgradeServices& services;
    DialogServices hooks;

    // The window's own state, in declaration order with its start values; the run's is the sequence's.
    CSkinLabel* versionTitle = nullptr;
    CSkinLabel* modelTitle = nullptr;
    std::optional<QImage> frameImage;
    std::optional<QImage> contentsImage;
    int osClass = -255;
    int windowHeight = 420;
    int windowWidth = 560;
    QRegion windowRegion;
    bool pageChanging = false;
    FaceButtons faceButtons{*this};  // highlight of the image buttons and the window drag
    std::string firmwareDate;
    std::string releaseDate;
    std::string model;
    std::unique_ptr<PageLabels> pageLabels;            // the welcome or the verify page's texts
    std::unique_ptr<LoginFields> loginFields;          // password, four octets, status line
    std::unique_ptr<ProgressDisplay> progressDisplay;  // hidden progress control, status line, percent
    std::string statusText = "Upgrading...";
    std::string percentText = "1%";
    QRect statusRect;
    QRect percentRect;
    bool progressBarShown = false;
    std::array<int, 3> buttonImageSet;

    std::unique_ptr<UpgradeSequence> sequence;  // made once the gateway and the firmware texts are known

    // The button slots in the tab order, the Alt+letters and Enter in the password field.
    std::unique_ptr<FaceKeyboard> faceKeyboard;
    // The success page: its line, and the watch of the router that fills it (its reports are queued to
    // this thread).
    void StartConfirmationWatch();
    void OnConfirmationReport(int round, ConfirmationState state, const std::string& version);
    void EndConfirmationWatch();
    int watchRound = 0;  // counts the watches, so a late report of an earlier one is dropped
    std::unique_ptr<ConfirmationLine> confirmationLine;
    std::unique_ptr<ConfirmationWatch> confirmationWatch;
};

}  // namespace fwu
