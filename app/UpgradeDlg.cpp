#include "app/UpgradeDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/ConfirmationLine.h"
#include "app/FaceAccessibility.h"
#include "app/FaceButtons.h"
#include "app/FaceKeyboard.h"
#include "app/FaceMenu.h"
#include "app/PageLabels.h"
#include "app/WindowShape.h"
#include "app/WindowThreadWait.h"
#include "res/StringTable.h"
#include "router/Credential.h"
#include "ui/EditEx.h"
#include "ui/FaceRect.h"
#include "ui/ImageButtons.h"
#include "ui/Latin1.h"
#include "ui/LoginFields.h"
#include "ui/ProgressDisplay.h"
#include "ui/RangeEdit.h"
#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"
#include "upgrade/FailureText.h"
#include "wizard/PageTexts.h"

namespace fwu {
namespace {

// The content panel that the page pictures cover (the size of the blank picture).
constexpr QRect kContentPanel(kContentOrigin, QSize(407, 210));

}  // namespace

CUpgradeDlg::CUpgradeDlg(UpgradeServices& services, DialogServices hooks, QWidget* parent)
    : QDialog(parent),
      services(services),
      hooks(WithSystemFallbacks(std::move(hooks))),
      statusRect(kStatusRect),
      percentRect(kPercentRect),
      buttonImageSet(kInitialButtonSets) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(Latin1(LoadString(IDS_APP_TITLE)));
    setWindowIcon(QIcon(QStringLiteral(":/ICON/150.png")));
    setMouseTracking(true);
    InstallFaceAccessibility();
    OnInitDialog();
}

CUpgradeDlg::~CUpgradeDlg() {
    // The run must have taken its worker's verdict before the window goes.
    WaitForUploadEnd();
    if (CheckingRouter()) {
        QApplication::restoreOverrideCursor();
    }
    FreeSkinImages();
}

void CUpgradeDlg::OnInitDialog() {
    // The two header labels sit on the face for the whole run.
    modelTitle = new CSkinLabel(this);
    versionTitle = new CSkinLabel(this);

    LoadFrameImage();
    contentsImage = LoadSkinImage(ContentImageId(PAGE_WELCOME), kContentsType);
    setFixedSize(windowWidth, windowHeight);
    windowRegion = WindowOutline(QSize(windowWidth, windowHeight));
    setMask(windowRegion);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    const std::string gateway =
        services.FindDefaultGateway([this](const std::string& text) { hooks.showMessage(this, text); });
    const FirmwareInfo info = services.LoadFirmwareInfo();
    firmwareDate = info.firmwareDate;
    model = info.model;
    releaseDate = info.releaseDate;
    flow = std::make_unique<WizardFlow>(services, *this, mailbox, gateway, info.utilityVersion);
    mailbox.SetReceiver(flow->Receiver());
    flow->Run().SetAttemptLog(services.Log());

    SetUpFaceTitle(modelTitle, ModelTitleLabel(model));
    SetUpFaceTitle(versionTitle, VersionTitleLabel(info.utilityVersion));
    ShowPage(PAGE_WELCOME);  // the first page is shown, not changed to
    faceKeyboard = std::make_unique<FaceKeyboard>(*this, [this](FaceSlot slot) { PressButton(slot); });
    PageShownToKeyboard();
}

void CUpgradeDlg::PageShownToKeyboard() {
    std::vector<QWidget*> fields;
    QLineEdit* password = nullptr;
    if (loginFields && Page() == PAGE_LOGIN) {
        password = loginFields->PasswordField();
        fields.push_back(password);
        for (int i = 0; i < 4; ++i) {
            fields.push_back(loginFields->OctetField(i));
        }
    }
    faceKeyboard->PageShown(buttonImageSet, fields, password);
    AnnouncePage(*this);
}

void CUpgradeDlg::LoadFrameImage() {
    frameImage = LoadSkinImage(kFrameImageId, kFrameType);
    if (frameImage) {
        // The frame picture is the whole client area: there is no border around it here.
        windowWidth = frameImage->width();
        windowHeight = frameImage->height();
    }
}

// ---- Pages: the view of the wizard ----

void CUpgradeDlg::BeginPageChange() {
    pageChanging = true;
    SuppressLabelBackgrounds(true);
}

void CUpgradeDlg::EndPageChange() {
    SuppressLabelBackgrounds(false);
    pageChanging = false;
}

void CUpgradeDlg::EnterPage(PageNumber newPage) {
    // One paint of the panel: the face below is painted first, so no old picture stays under the new one.
    contentsImage = LoadSkinImage(ContentImageId(newPage), kContentsType);
    update(kContentPanel);
    buttonImageSet = ButtonSetsForPage(newPage, buttonImageSet);
    faceButtons.RedrawAll();
    ShowPage(newPage);
    if (faceKeyboard) {
        PageShownToKeyboard();
    }
}

void CUpgradeDlg::SuppressLabelBackgrounds(bool suppress) {
    for (CSkinLabel* label : findChildren<CSkinLabel*>()) {
        label->SetSuppressBackground(suppress);
    }
}

void CUpgradeDlg::ShowPage(PageNumber newPage) {
    switch (newPage) {
        case PAGE_WELCOME:
            pageLabels = std::make_unique<PageLabels>(this, WelcomePageLabels(releaseDate, firmwareDate),
                                                      pageChanging);
            break;
        case PAGE_LOGIN:
            loginFields =
                std::make_unique<LoginFields>(this, Password(), Address().OctetTexts(), kMaxPasswordBytes);
            if (pageChanging) {
                loginFields->StatusLabel()->SetSuppressBackground(true);
            }
            break;
        case PAGE_VERIFY:
            pageLabels = std::make_unique<PageLabels>(
                this,
                VerifyPageLabels(model, Run().RouterVersionShown(), UtilityVersion(), Address().Dotted()),
                pageChanging);
            break;
        case PAGE_PROGRESS:
            progressDisplay = std::make_unique<ProgressDisplay>(
                this, Latin1(ProgressStatusLabel().text), Latin1(PercentFigureLabel().text), pageChanging);
            progressBarShown = true;
            update(statusRect);
            update(percentRect);
            progressDisplay->LoadBarImage();
            break;
        case PAGE_DONE:
            confirmationLine = std::make_unique<ConfirmationLine>(this, pageChanging);
            break;
        default:
            break;
    }
}

void CUpgradeDlg::done(int result) {
    if (flow) {
        flow->Run().EndWatch();  // at once: nothing more is sent, and the window is not held up
    }
    QDialog::done(result);
}

void CUpgradeDlg::LeavePage(PageNumber oldPage) {
    switch (oldPage) {
        case PAGE_WELCOME:
        case PAGE_VERIFY:
            pageLabels.reset();
            break;
        case PAGE_LOGIN:
            loginFields.reset();
            break;
        case PAGE_PROGRESS:
            progressBarShown = false;
            progressDisplay.reset();  // the bar and its picture with it
            break;
        case PAGE_DONE:
            confirmationLine.reset();
            break;
        default:
            break;
    }
}

std::optional<WizardView::TypedLogin> CUpgradeDlg::ReadLogin() {
    if (!loginFields) {
        return std::nullopt;
    }
    return TypedLogin{loginFields->PasswordText(), loginFields->OctetTexts()};
}

// ---- The router check ----

void CUpgradeDlg::CheckStarted() {
    CSkinLabel* status = loginFields->StatusLabel();
    // Painted by the event loop, which runs while the check waits on its own thread.
    status->SetText(Latin1(LoadString(IDS_CHECKING_ROUTER)));
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

std::optional<RouterCheckResult> CUpgradeDlg::RunCheck(const std::function<RouterCheckResult()>& check) {
    // The check may wait on the router for many seconds: it runs on its own thread while this one keeps
    // the window painted, with the user's input held off as while an upload runs.
    RouterCheckResult result;
    const InputHold hold(this);
    if (!RunWhileProcessingEvents([&] { result = check(); })) {
        return std::nullopt;
    }
    return result;
}

void CUpgradeDlg::CheckEnded() {
    QApplication::restoreOverrideCursor();
    if (loginFields) {
        loginFields->StatusLabel()->SetText(QString());
    }
}

// ---- The end of the run ----

void CUpgradeDlg::WaitForUploadEnd() {
    // The worker's final post wakes the loop; the run takes it, and the worker's thread is joined.
    while (flow && Busy() && services.UploadRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    services.JoinUpload();
}

void CUpgradeDlg::reject() {
    if (flow->RequestClose() == CloseAnswer::Close) {
        QDialog::reject();
    }
}

// ---- Painting ----

void CUpgradeDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    DrawSkinImage(frameImage, painter, 0, 0);
    DrawSkinImage(contentsImage, painter, kContentOrigin.x(), kContentOrigin.y());
    for (const FaceSlot slot : kFaceSlots) {
        if (event->rect().intersects(ButtonRect(slot))) {
            DrawButton(painter, slot, buttonImageSet, slot == faceButtons.DrawnHot());
        }
    }
}

void CUpgradeDlg::FreeSkinImages() {
    frameImage.reset();
    contentsImage.reset();
    if (progressDisplay) {
        progressDisplay->FreeBarImage();
    }
}

// ---- Mouse and keyboard ----

void CUpgradeDlg::mouseMoveEvent(QMouseEvent* event) {
    faceButtons.OnMove(*event, Busy());
    event->accept();
}

void CUpgradeDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
    faceButtons.OnPress(*event, Busy());
}

void CUpgradeDlg::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const std::optional<FaceSlot> slot = faceButtons.OnRelease(*event, Busy());
    if (Busy() && event->button() == Qt::LeftButton) {
        // While an upload runs only the close button acts: it asks whether to stop.
        const QPoint at = event->position().toPoint();
        if (HitTestButton(at.x(), at.y()) == BTN_CLOSE) {
            flow->RequestClose();
        }
        return;
    }
    if (!slot) {
        return;
    }
    PressButton(*slot);
}

void CUpgradeDlg::PressButton(FaceSlot slot) {
    if (!CheckingRouter()) {
        flow->Press(slot);
    }
}

void CUpgradeDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // Enter ends nothing: the buttons are worked by the mouse only
            return;
        case Qt::Key_Escape:
            event->accept();
            reject();  // like Exit; while an upload runs, asks whether to stop it
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CUpgradeDlg::closeEvent(QCloseEvent* event) {
    if (flow->RequestClose() == CloseAnswer::Stay) {
        event->ignore();
        return;
    }
    FreeSkinImages();
    QDialog::closeEvent(event);
}

// ---- Context menu and About box ----

std::unique_ptr<QMenu> CUpgradeDlg::CreateFaceMenu() {
    return fwu::CreateFaceMenu(this);
}

void CUpgradeDlg::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    CreateFaceMenu()->exec(event->globalPos());
}

}  // namespace fwu
