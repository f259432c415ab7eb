// The progress page's display: its three controls and the bar drawn strip by strip.
#include "ui/ProgressDisplay.h"

#include <QPainter>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"

namespace fwu {
namespace {

const QColor kLabelBackground(255, 255, 255);
const QColor kStatusColour(75, 75, 255);
const QColor kPercentColour(75, 75, 75);
constexpr int kLabelFontPx = 16;

// Strips counted as drawn, for the life of the process: a retry or the router wait that follows the
// transfer starts from what the screen last showed.
int barDrawnCount = 1;

CSkinLabel* CreateLabel(QWidget* window, const QRect& rect, const QColor& colour, const QString& text) {
    auto* label = new CSkinLabel(window);
    label->setGeometry(rect);
    label->SetBackgroundColor(kLabelBackground);
    label->SetTextColor(colour);
    label->SetFontSize(kLabelFontPx);
    label->SetBold(true);
    label->SetText(text);
    label->show();
    return label;
}

}  // namespace

BarPlan PlanBarAdvance(int drawnCount, int percent, int stripHeight) {
    const auto drawn = static_cast<unsigned>(drawnCount);
    auto target = static_cast<unsigned>(percent);
    BarPlan plan;
    plan.drawnCount = drawnCount;
    if (drawn > target) {
        // A new phase or a retry: the face below the drawn strips is painted again, and the bar starts
        // over at the current percent (one strip at least).
        plan.wipe = FaceRect(kBarLeft, kBarTop, kStripPitch * drawnCount + 60, kBarTop + 3 + stripHeight);
        plan.drawnCount = target == 0 ? 1 : percent;
        plan.firstStrip = 1;
        plan.lastStrip = plan.drawnCount;
        return plan;
    }
    if (target == 0) {
        return plan;
    }
    if (target > static_cast<unsigned>(kMaxStrips)) {
        plan.clampPercent = true;
        target = kMaxStrips;
    }
    // The last strip drawn is drawn again with the new ones.
    plan.firstStrip = drawnCount;
    plan.lastStrip = static_cast<int>(target);
    plan.drawnCount = static_cast<int>(target);
    return plan;
}

QRect StripsRect(int first, int last, int stripWidth, int stripHeight) {
    return QRect(kBarLeft + kStripPitch * first, kBarTop, kStripPitch * (last - first) + stripWidth,
                 stripHeight);
}

ProgressDisplay::ProgressDisplay(QWidget* window, const QString& statusText, const QString& percentText) {
    progressControl = new QProgressBar(window);
    progressControl->setGeometry(kProgressControlRect);
    progressControl->setRange(0, 100);
    progressControl->setValue(0);
    progressControl->setVisible(false);
    statusLabel = CreateLabel(window, kStatusRect, kStatusColour, statusText);
    percentLabel = CreateLabel(window, kPercentRect, kPercentColour, percentText);
}

ProgressDisplay::~ProgressDisplay() {
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
    barImage = LoadSkinImage(kBarImageId, kBarType);
    return barImage.has_value();
}

void ProgressDisplay::FreeBarImage() {
    barImage.reset();
}

int ProgressDisplay::StripWidth() const {
    return barImage ? barImage->width() : kStripPitch;
}

int ProgressDisplay::StripHeight() const {
    return barImage ? barImage->height() : kDefaultStripHeight;
}

void ProgressDisplay::DrawBar(QPainter& painter, int percent) const {
    const auto count = std::min(static_cast<unsigned>(percent), static_cast<unsigned>(kMaxStrips));
    for (unsigned strip = 1; strip <= count; ++strip) {
        DrawSkinImage(barImage, painter, kBarLeft + kStripPitch * static_cast<int>(strip), kBarTop);
    }
}

void ProgressDisplay::AdvanceBar(QWidget& window, std::atomic<int>& percent) {
    const BarPlan plan =
        PlanBarAdvance(barDrawnCount, percent.load(std::memory_order_relaxed), StripHeight());
    if (plan.clampPercent) {
        percent.store(kMaxStrips, std::memory_order_relaxed);
    }
    if (!plan.wipe.isEmpty()) {
        window.update(plan.wipe);
    }
    barDrawnCount = plan.drawnCount;
    if (plan.firstStrip > 0) {
        window.repaint(StripsRect(plan.firstStrip, plan.lastStrip, StripWidth(), StripHeight()));
    }
}

int ProgressDisplay::BarDrawnCount() {
    return barDrawnCount;
}

void ProgressDisplay::SetBarDrawnCount(int count) {
    barDrawnCount = std::clamp(count, 0, kMaxStrips);
}

}  // namespace fwu
