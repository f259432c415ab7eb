// The progress page's display: the hidden progress control, the status line, the percent figure and the
// bar of up to 100 strips of the "BAR" picture, drawn strip by strip as the percent advances.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <atomic>
#include <optional>

#include "ui/FaceRect.h"

class QPainter;
class QProgressBar;
class QWidget;

namespace fwu {

class CSkinLabel;

inline constexpr int kProgressControlId = 4671;
inline constexpr int kProgressLabelId = 4667;
inline constexpr QRect kProgressControlRect = FaceRect(80, 375, 120, 380);
inline constexpr QRect kStatusRect = FaceRect(50, 273, 420, 310);
inline constexpr QRect kPercentRect = FaceRect(200, 347, 260, 372);

// Strip k (1..100) has its top-left corner at (57 + 3k, 312).
inline constexpr int kStripPitch = 3;
inline constexpr int kBarLeft = 57;
inline constexpr int kBarTop = 312;
inline constexpr int kMaxStrips = 100;
// Used for the strip height when the bar picture is missing (that of the shipped picture).
inline constexpr int kDefaultStripHeight = 28;

// What one progress message does to the bar.
struct BarPlan {
    QRect wipe;          // invalidate this (the bar shrinks); empty: nothing to wipe
    int firstStrip = 0;  // draw strips firstStrip..lastStrip at once; none when firstStrip is 0
    int lastStrip = 0;
    int drawnCount = 1;         // the new count of strips drawn
    bool clampPercent = false;  // write 100 back into the percent
};

// The plan for a progress message with `drawnCount` strips counted as drawn and the window's `percent`
// (both compared as unsigned numbers).
BarPlan PlanBarAdvance(int drawnCount, int percent, int stripHeight);

// The window rectangle covered by strips first..last of the given size.
QRect StripsRect(int first, int last, int stripWidth, int stripHeight);

class ProgressDisplay {
public:
    // Creates the hidden progress control and the two labels as children of `window`, showing the texts.
    ProgressDisplay(QWidget* window, const QString& statusText, const QString& percentText);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void SetStatusText(const QString& text);
    void SetPercentText(const QString& text);
    QString StatusText() const;
    QString PercentText() const;
    CSkinLabel* StatusLabel() const;
    CSkinLabel* PercentLabel() const;

    // The hidden progress control: one step per progress message; back to step 1, position 0 on failure.
    void StepIt();
    void ResetProgress();
    int ProgressPosition() const;

    // Decodes the strip picture (replacing a loaded one); false when it cannot be decoded.
    bool LoadBarImage();
    void FreeBarImage();
    bool HasBarImage() const { return barImage.has_value(); }

    // Part of the window paint: strips 1..min(percent, 100); nothing at percent 0.
    void DrawBar(QPainter& painter, int percent) const;

    // A progress message: grows, shrinks or clamps the bar by PlanBarAdvance, invalidating the wiped
    // rectangle and repainting at once only the strips concerned.
    void AdvanceBar(QWidget& window, std::atomic<int>& percent);

    // Strips counted as drawn: one count for the whole process, starting at 1, kept across pages.
    static int BarDrawnCount();
    static void SetBarDrawnCount(int count);

private:
    int StripWidth() const;
    int StripHeight() const;

    QPointer<QProgressBar> progressControl;
    QPointer<CSkinLabel> statusLabel;
    QPointer<CSkinLabel> percentLabel;
    std::optional<QImage> barImage;
    int progressStep = 1;
};

}  // namespace fwu
