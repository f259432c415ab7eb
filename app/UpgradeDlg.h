// CUpgradeDlg: the main window, the view of the wizard (wizard/WizardFlow.h) over the upgrade run
// (upgrade/UpgradeRun.h), which own the pages, the state of the run and its decisions. The window shows
// the pages it is told to, forwards the buttons' presses, asks the user the questions and runs the router
// check with the window still painting. Its face is painted from the skin pictures; three image buttons
// are worked by its own mouse handling, and a press anywhere else drags the frameless window.
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
#include "app/QtRunMailbox.h"
#include "router/RouterAddress.h"
#include "services/UpgradeServices.h"
#include "wizard/WizardFlow.h"

class QMenu;

namespace fwu {

class CSkinLabel;
class ConfirmationLine;
class FaceKeyboard;
class LoginFields;
class PageLabels;
class ProgressDisplay;

class CUpgradeDlg : public QDialog, public WizardView {
    Q_OBJECT

public:
    // Builds and initialises the window (shape, pictures, proposed address, firmware texts, welcome
    // page), all before it is first shown. `services` must outlive the window.
    explicit CUpgradeDlg(UpgradeServices& services, DialogServices hooks = SystemDialogServices(),
                         QWidget* parent = nullptr);
    ~CUpgradeDlg() override;

    // One page forward or back, as the wizard allows.
    void ChangePage(bool back) { flow->ChangePage(back); }

    // What the wizard asks of the window, on the window thread.
    void BeginPageChange() override;
    void LeavePage(PageNumber page) override;
    void EnterPage(PageNumber page) override;
    void EndPageChange() override;
    std::optional<TypedLogin> ReadLogin() override;
    void CheckStarted() override;
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;
    void CheckEnded() override;
    void ShowProgress(int percent) override;
    void SetShownPercent(int percent) override;
    void ShowStatusText(int stringId) override;
    void ShowUploadFailure(const std::string& causeText) override;
    void ShowConfirmation(std::optional<ConfirmationState> state, const std::string& version) override;
    bool AskYesNo(int stringId) override { return hooks.askYesNo(this, stringId); }
    void ShowError(int stringId) override { hooks.showError(this, stringId); }
    void Pause(int milliseconds) override { hooks.pause(milliseconds); }  // the window does not run meanwhile
    void EndRun() override { reject(); }
    void ShowUploadStarted() override;
    void ShowErrorWithReason(int stringId, const std::string& reason) override {
        hooks.showErrorDetail(this, stringId, reason);
    }

    // Ends the window with the cancel result; ignored while the router is checked. While an upload runs
    // it asks whether to stop the transfer (UpgradeRun::RequestStop) and the window stays.
    void reject() override;
    void done(int result) override;  // the watch of the router ends with the window

    // Processes the window's events until no upload runs (at once when none does), so the run sees its
    // worker's verdict before the window goes.
    void WaitForUploadEnd();

    // Works the button in `slot` as a left-button release over it does; the keyboard's presses come here
    // too. Ignored while busy or while the router is checked, and on a blank plate.
    void PressButton(FaceSlot slot);

    // The face's context menu: Minimise, Close, a separator and the About entry.
    std::unique_ptr<QMenu> CreateFaceMenu();

    // Read-only views of the wizard's, the run's and the window's state.
    const WizardFlow& Flow() const { return *flow; }
    const UpgradeRun& Run() const { return flow->Run(); }
    PageNumber Page() const { return flow->Page(); }
    bool Busy() const { return flow->Busy(); }
    int Percent() const { return Run().Percent(); }
    bool PageChanging() const { return pageChanging; }
    bool CheckingRouter() const { return flow->CheckingRouter(); }
    bool ProgressBarShown() const { return progressBarShown; }
    FaceSlot HotButton() const { return faceButtons.Hot(); }
    FaceSlot DrawnHotButton() const { return faceButtons.DrawnHot(); }
    const std::array<int, 3>& ButtonImageSet() const { return buttonImageSet; }
    const fwu::RouterAddress& Address() const { return flow->Address(); }
    const std::string& Password() const { return flow->Password(); }
    const std::string& RouterVersion() const { return Run().RouterVersion(); }
    const std::string& UtilityVersion() const { return Run().UtilityVersion(); }
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

    // The window's own state, in declaration order with its start values; the run's is the wizard's.
    CSkinLabel* versionTitle = nullptr;
    CSkinLabel* modelTitle = nullptr;
    std::optional<QImage> frameImage;
    std::optional<QImage> contentsImage;
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
    QRect statusRect;
    QRect percentRect;
    bool progressBarShown = false;
    std::array<int, 3> buttonImageSet;

    // Before the wizard: the run's worker and watch post to it until the run ends.
    QtRunMailbox mailbox;
    std::unique_ptr<WizardFlow> flow;  // made once the gateway and the firmware texts are known

    // The button slots in the tab order, the Alt+letters and Enter in the password field.
    std::unique_ptr<FaceKeyboard> faceKeyboard;
    // The success page's line about the router after its restart, filled from the run's watch.
    std::unique_ptr<ConfirmationLine> confirmationLine;
};

}  // namespace fwu
