// The progress page's display: its three controls and the bar drawn strip by strip.
#include "ui/ProgressDisplay.h"

#include <QAccessible>
#include <QPainter>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"

namespace fwu {
namespace {

const QColor kStatusColour(kStatusRgb);
const QColor kWarningColour(kWarningRgb);

CSkinLabel* CreateLabel(QWidget* window, const PageLabelSpec& entry, const QString& text) {
    auto* label = new CSkinLabel(window);
    label->setObjectName(QLatin1String(entry.name));
    label->setProperty("controlId", entry.controlId);
    label->setGeometry(QtRect(entry.box));
    ApplyLabelLook(*label, entry.look);
    label->SetText(text);
    label->show();
    return label;
}

}  // namespace

QRect StripsRect(int first, int last, int stripWidth, int stripHeight) {
    return QtRect(StripsBox(first, last, stripWidth, stripHeight));
}

StripBar::StripBar(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("stripBar"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    Place();
}

void StripBar::Place() {
    setGeometry(QtRect(BarBox(StripWidth(), StripHeight())));
}

bool StripBar::LoadImage() {
    image = LoadSkinImage(kBarImageId, kBarType);
    Place();
    return image.has_value();
}

void StripBar::FreeImage() {
    image.reset();
}

int StripBar::StripWidth() const {
    return image ? image->width() : kStripPitch;
}

int StripBar::StripHeight() const {
    return image ? image->height() : kDefaultStripHeight;
}

void StripBar::SetDrawnCount(int count) {
    drawnCount = std::clamp(count, 0, kMaxStrips);
}

void StripBar::SetPercent(int value) {
    const int old = percent;
    percent = value;
    AnnounceValue(old);
}

void StripBar::AnnounceValue(int old) {
    if (percent != old) {
        QAccessibleValueChangeEvent event(this, percent);
        QAccessible::updateAccessibility(&event);
    }
}

int StripBar::Advance(int newPercent) {
    const BarPlan plan = PlanBarAdvance(drawnCount, percent, newPercent, StripHeight());
    const int old = percent;
    percent = newPercent;
    AnnounceValue(old);
    drawnCount = plan.drawnCount;
    // Scheduled, not painted at once: the messages of one turn of the event loop share one paint.
    const QPoint origin = pos();
    if (!plan.wipe.Empty()) {
        update(QtRect(plan.wipe).translated(-origin));
    } else if (plan.firstStrip > 0) {
        update(StripsRect(plan.firstStrip, plan.lastStrip, StripWidth(), StripHeight()).translated(-origin));
    }
    return percent;
}

void StripBar::paintEvent(QPaintEvent* event) {
    // Only the strips that meet the area to paint.
    const QRect area = event->rect();
    const StripRange strips = StripsMeeting(area.left(), area.right(), StripWidth(), percent);
    QPainter painter(this);
    for (int strip = strips.first; strip <= strips.last; ++strip) {
        DrawSkinImage(image, painter, kStripPitch * strip, 0);
    }
}

ProgressDisplay::ProgressDisplay(QWidget* window, const QString& statusText, const QString& percentText,
                                 bool suppressBackground)
    : window(window) {
    progressControl = new QProgressBar(window);
    progressControl->setGeometry(kProgressControlRect);
    progressControl->setRange(0, 100);
    progressControl->setValue(0);
    progressControl->setVisible(false);
    statusLabel = CreateLabel(window, ProgressStatusLabel(), statusText);
    percentLabel = CreateLabel(window, PercentFigureLabel(), percentText);
    for (CSkinLabel* label : {statusLabel.data(), percentLabel.data()}) {
        label->SetSuppressBackground(suppressBackground);
    }
    bar = new StripBar(window);
    bar->show();
}

ProgressDisplay::~ProgressDisplay() {
    delete bar.data();
    delete percentLabel.data();
    delete statusLabel.data();
    delete progressControl.data();
}

CSkinLabel* ProgressDisplay::StatusLabel() const {
    return statusLabel;
}

CSkinLabel* ProgressDisplay::PercentLabel() const {
    return percentLabel;
}

void ProgressDisplay::SetStatusText(const QString& text) {
    if (statusLabel) {
        statusLabel->SetText(text);
    }
    if (bar) {
        // The status line is the bar's description for assistive technology.
        QAccessibleEvent event(bar.data(), QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void ProgressDisplay::SetPercentText(const QString& text) {
    if (percentLabel) {
        percentLabel->SetText(text);
    }
}

QString ProgressDisplay::StatusText() const {
    return statusLabel ? statusLabel->Text() : QString();
}

QString ProgressDisplay::PercentText() const {
    return percentLabel ? percentLabel->Text() : QString();
}

void ProgressDisplay::StepIt() {
    if (!progressControl) {
        return;
    }
    // Stepping past the end starts over from the beginning.
    int position = progressControl->value() + progressStep;
    if (position > progressControl->maximum()) {
        position -= progressControl->maximum() - progressControl->minimum();
    }
    progressControl->setValue(position);
}

void ProgressDisplay::ResetProgress() {
    progressStep = 1;
    if (progressControl) {
        progressControl->setValue(0);
    }
}

int ProgressDisplay::ProgressPosition() const {
    return progressControl ? progressControl->value() : 0;
}

bool ProgressDisplay::LoadBarImage() {
    return bar && bar->LoadImage();
}

void ProgressDisplay::FreeBarImage() {
    if (bar) {
        bar->FreeImage();
    }
}

bool ProgressDisplay::HasBarImage() const {
    return bar && bar->HasImage();
}

int ProgressDisplay::ShowMessage(int percent, const QString& figure) {
    ShowFigure(figure);
    const int shown = AdvanceBar(percent);
    StepIt();
    return shown;
}

void ProgressDisplay::ShowFailure(const QString& cause) {
    ResetProgress();
    ShowFigure(QString());
    if (bar) {
        bar->Advance(0);  // wipes the drawn strips
    }
    if (statusLabel) {
        statusLabel->SetTextColor(kWarningColour);
    }
    SetStatusText(cause);
    if (window) {
        window->update(kStatusRect);
    }
}

void ProgressDisplay::ShowStart(const QString& status, const QString& figure) {
    if (statusLabel) {
        statusLabel->SetTextColor(kStatusColour);
    }
    SetStatusText(status);
    ShowFigure(figure);
    if (window) {
        window->update(kStatusRect);
    }
}

void ProgressDisplay::ShowFigure(const QString& figure) {
    // An unchanged figure is not painted again. A new one paints the label, and below it the face when
    // the label paints no background of its own (Qt paints what lies under a label that is not opaque).
    if (PercentText() != figure) {
        SetPercentText(figure);
    }
}

int ProgressDisplay::AdvanceBar(int percent) {
    return bar ? bar->Advance(percent) : percent;
}

void ProgressDisplay::SetBarPercent(int percent) {
    if (bar) {
        bar->SetPercent(percent);
    }
}

int ProgressDisplay::BarPercent() const {
    return bar ? bar->Percent() : 0;
}

int ProgressDisplay::BarDrawnCount() const {
    return bar ? bar->DrawnCount() : 1;
}

void ProgressDisplay::SetBarDrawnCount(int count) {
    if (bar) {
        bar->SetDrawnCount(count);
    }
}

StripBar* ProgressDisplay::Bar() const {
    return bar;
}

}  // namespace fwu
