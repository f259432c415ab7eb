// The progress page's display: the hidden progress control, the status line, the percent figure and the
// bar of up to 100 strips of the "BAR" picture, drawn strip by strip as the percent advances. The bar is
// a child widget that paints itself from the percent it was last given; its arithmetic is the wizard's
// (wizard/ProgressStrips.h). Percents handed in are 0..100: the upload worker makes them so (ShownPercent),
// and nothing here clamps them again.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>

#include "ui/FaceRect.h"
#include "wizard/PageTexts.h"
#include "wizard/ProgressStrips.h"

class QPainter;
class QProgressBar;
class QWidget;

namespace fwu {

class CSkinLabel;

inline constexpr QRect kProgressControlRect = FaceRect(80, 375, 120, 380);
// The status line's colours: its own blue, and the warning colour of a failure.
inline constexpr QRgb kStatusRgb = QtRgb(colour::kStatusText);
inline constexpr QRgb kWarningRgb = QtRgb(colour::kWarningText);

inline constexpr QRect kStatusRect = QtRect(kProgressStatusBox);
inline constexpr QRect kPercentRect = QtRect(kPercentFigureBox);

// The window rectangle covered by strips first..last of the given size (StripsBox as a Qt rectangle).
QRect StripsRect(int first, int last, int stripWidth, int stripHeight);

// The bar: a child of the window over the strips' area that takes no mouse input (a press there drags
// the window) and paints strips 1..percent of the picture over the face the window paints below it,
// never more than 100 of them. Every percent it is given must be 0..100 (its caller's guarantee).
class StripBar : public QWidget {
    Q_OBJECT

public:
    explicit StripBar(QWidget* window);

    bool LoadImage();  // false when the picture cannot be decoded
    void FreeImage();
    bool HasImage() const { return image.has_value(); }
    int StripWidth() const;
    int StripHeight() const;

    // The percent painted from, 0..100; set without a repaint (the next paint shows it).
    void SetPercent(int value);
    int Percent() const { return percent; }
    // Strips counted as drawn, 1 to 100: a retry or the router wait after the transfer starts from what
    // the screen last showed.
    int DrawnCount() const { return drawnCount; }
    void SetDrawnCount(int count);

    // A progress message carrying a percent 0..100: grows or shrinks the bar by PlanBarAdvance, scheduling
    // a paint of the wiped rectangle or of the new strips only. Answers the percent now shown.
    int Advance(int newPercent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Place();
    void AnnounceValue(int oldPercent);  // a value change for assistive technology, when there is one

    std::optional<QImage> image;
    int percent = 0;
    int drawnCount = 1;
};

class ProgressDisplay {
public:
    // Creates the hidden progress control, the two labels ("progressStatus", "percentFigure") and the bar
    // as children of `window`, showing the texts; while the page changes (`suppressBackground`) the labels
    // paint no background of their own.
    ProgressDisplay(QWidget* window, const QString& statusText, const QString& percentText,
                    bool suppressBackground = false);
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
    bool HasBarImage() const;

    // A progress message carrying `percent` (0..100), with the figure to show for it: the figure painted
    // again when it changed, the bar advanced, the hidden control stepped. Answers the percent the bar now
    // shows.
    int ShowMessage(int percent, const QString& figure);
    // A failed upload: the hidden control back to its start, the bar emptied, the figure cleared and the
    // status line saying `cause` in the warning colour.
    void ShowFailure(const QString& cause);
    // An upload starts (also a retry): the status line in its own colour showing `status`, the figure
    // showing `figure`.
    void ShowStart(const QString& status, const QString& figure);

    // A progress message carrying `percent` (0..100): see StripBar::Advance. Answers the percent now shown.
    int AdvanceBar(int percent);
    // The percent the bar paints from, changed without a progress message or a repaint.
    void SetBarPercent(int percent);
    int BarPercent() const;
    int BarDrawnCount() const;
    void SetBarDrawnCount(int count);
    StripBar* Bar() const;

private:
    void ShowFigure(const QString& figure);

    QPointer<QWidget> window;
    QPointer<QProgressBar> progressControl;
    QPointer<CSkinLabel> statusLabel;
    QPointer<CSkinLabel> percentLabel;
    QPointer<StripBar> bar;
    int progressStep = 1;
};

}  // namespace fwu
