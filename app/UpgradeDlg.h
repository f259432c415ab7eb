// CUpgradeDlg: the main window. It owns the whole state of one run (the record below), leads the user
// through the five wizard pages, checks the router, starts the upload and turns the upload worker's
// messages into progress and a result. Its face is painted from the skin pictures; three image buttons
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

#include "app/DialogHooks.h"
#include "app/UpgradeServices.h"
#include "router/RouterAddress.h"
#include "transfer/UploadWindow.h"

class QMenu;

namespace fwu {

class CSkinLabel;
class LoginFields;
class PageLabels;
class ProgressDisplay;

class CUpgradeDlg : public QDialog, public UploadWindow {
    Q_OBJECT

public:
    // Builds and initialises the window (shape, pictures, proposed address, firmware texts, welcome
    // page), all before it is first shown. `services` must outlive the window.
    explicit CUpgradeDlg(UpgradeServices& services, DialogHooks hooks = SystemDialogHooks(),
                         QWidget* parent = nullptr);
    ~CUpgradeDlg() override;

    // What the upload worker may do to the window; every one of these is safe from the worker thread.
    void PostUpgradeProgress(int percent) override;
    void ResetPercent() override;
    void SetStatusText(int stringId, int argument) override;  // waits until the window has the text
    void PostUpgradeDone(unsigned result) override;

    // The upgrade sequence, on the window thread.
    void ChangePage(bool back);
    void ShowPage(int newPage);
    void HidePage(int oldPage);
    bool VerifyRouter();
    bool StartUpgrade();
    bool CarriedImageReady();  // shows the error box when the carried image is missing or damaged
    void PrepareUploadJob();
    void OnForwardButton();
    void OnSecondButton();
    bool AskYesNo(int stringId);
    void ShowError(int stringId);
    void UpdatePercentText();

    // Ends the window with the cancel result; ignored while an upload runs or the router is checked.
    void reject() override;

    // Processes the window's events until no upload runs (at once when none does). Whatever ended the
    // window's event loop, the window must not go while the worker may still write to it.
    void WaitForUploadEnd();

    // The face's context menu: Minimise, Close, a separator and the About entry.
    std::unique_ptr<QMenu> CreateFaceMenu();

    // Read-only views of the state record.
    int Page() const { return page; }
    bool Busy() const { return busy; }
    int Percent() const { return percent; }
    bool PageChanging() const { return pageChanging; }
    bool CheckingRouter() const { return checkingRouter; }
    bool ProgressBarShown() const { return progressBarShown; }
    int HotButton() const { return hotButton; }
    int DrawnHotButton() const { return drawnHotButton; }
    const std::array<int, 3>& ButtonImageSet() const { return buttonImageSet; }
    const fwu::RouterAddress& Address() const { return address; }
    const std::string& Password() const { return password; }
    const std::string& RouterVersion() const { return routerVersion; }
    const std::string& UtilityVersion() const { return utilityVersion; }
    const UploadRequest& PreparedRequest() const { return uploadRequest; }
    QSize WindowSize() const { return {windowWidth, windowHeight}; }
    const QRegion& WindowRegion() const { return windowRegion; }
    CSkinLabel* ModelTitle() const { return modelTitle; }
    CSkinLabel* VersionTitle() const { return versionTitle; }
    LoginFields* Login() const { return loginFields.get(); }
    ProgressDisplay* Progress() const { return progressDisplay.get(); }

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
    void ShowPageImage(int newPage);
    void SetupTitle(CSkinLabel* label, const char* name, const QRect& rect, const std::string& text);
    void SuppressLabelBackgrounds(bool suppress);
    void RedrawButtons();
    int SetHotButton(int newSlot, int oldSlot);
    void OnUpgradeProgress(int newPercent);
    void OnUpgradeDone(unsigned result);
    void FinishUpgrade(unsigned result);
    void ApplyStatusText(const QString& text);
    void FreeSkinImages();
    void ShowAboutBox();

    UpgradeServices& services;
    DialogHooks hooks;

    // The state record, in declaration order with its start values.
    CSkinLabel* versionTitle = nullptr;
    CSkinLabel* modelTitle = nullptr;
    std::optional<QImage> frameImage;
    std::optional<QImage> contentsImage;
    int osClass = -255;
    int windowHeight = 420;
    int windowWidth = 560;
    QRegion windowRegion;
    bool pageChanging = false;
    int hotButton = 0;
    int drawnHotButton = 0;
    int page = 0;
    std::string firmwareDate;
    std::string releaseDate;
    std::string utilityVersion;
    std::string routerVersion;
    std::string model;
    std::unique_ptr<PageLabels> pageLabels;    // the welcome or the verify page's texts
    std::unique_ptr<LoginFields> loginFields;  // password, four octets, status line
    std::string password = "rodel";
    fwu::RouterAddress address;  // the proposed gateway split, then the octets as last typed
    bool checkingRouter = false;
    std::unique_ptr<ProgressDisplay> progressDisplay;  // hidden progress control, status line, percent
    std::string statusText = "Upgrading...";
    std::string percentText = "1%";
    QRect statusRect;
    QRect percentRect;
    UploadRequest uploadRequest;
    bool busy = false;
    int percent = 0;  // the last percent the worker posted; the bar is given it
    bool progressBarShown = false;
    std::array<int, 3> buttonImageSet;

    // Window drag by mouse deltas where the platform cannot move the window itself.
    bool manualDrag = false;
    QPoint dragOffset;
};

}  // namespace fwu
