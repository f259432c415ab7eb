// CSkinLabel painting: background, then the laid-out lines run by run in the label's font.
#include "ui/SkinLabel.h"

#include <QAccessible>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include "ui/FaceFonts.h"
#include "ui/FaceRect.h"
#include "wizard/LabelLayout.h"
#include "wizard/PageTexts.h"

namespace fwu {
namespace {

// Labels start with the system's small dialog font: its face at 11 pixels, normal weight.
constexpr int kDefaultLabelPixels = 11;
// Widths kept across paints before they are dropped; the percent figure alone shows about 200 pieces.
constexpr std::size_t kMeasuredWidthsKept = 512;

QFont WithWeight(QFont font, bool bold) {
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace

CSkinLabel::CSkinLabel(QWidget* parent)
    : QWidget(parent),
      textColor(palette().color(QPalette::WindowText)),
      backgroundColor(palette().color(QPalette::Button)),
      labelFont(font()) {
    // A press on a label goes to the window below, so the face can be dragged from any label.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    RegisterFaceSubstitutes();
    labelFont.setFamily(kDialogFace);
    labelFont.setPixelSize(kDefaultLabelPixels);
    labelFont.setWeight(QFont::Normal);
    UpdateOpacity();
}

void CSkinLabel::SetText(const QString& newText) {
    const bool changed = text != newText;
    text = newText;
    update();
    if (changed && accessibleName().isEmpty()) {
        // A label without a name of its own is named by its text: a new text is a new name.
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void CSkinLabel::SetTextColor(const QColor& colour) {
    textColor = colour;
    update();
}

void CSkinLabel::SetBold(bool newBold) {
    bold = newBold;
    update();
}

void CSkinLabel::SetFontSize(int pixels) {
    if (pixels > 0) {
        labelFont.setPixelSize(pixels);
    }
    update();
}

void CSkinLabel::SetShrinkToFit(int smallestPixels) {
    shrinkToPixels = smallestPixels;
    update();
}

int CSkinLabel::DrawnFontPixels() const {
    const int pixels = labelFont.pixelSize() > 0 ? labelFont.pixelSize() : QFontInfo(labelFont).pixelSize();
    if (shrinkToPixels <= 0 || shrinkToPixels >= pixels) {
        return pixels;
    }
    const QByteArray bytes = text.toLocal8Bit();
    const MeasureTextAt measure = [this](std::string_view piece, bool pieceBold, int size) {
        QFont font = WithWeight(labelFont, pieceBold);
        font.setPixelSize(size);
        return QFontMetrics(font).horizontalAdvance(
            QString::fromLocal8Bit(piece.data(), static_cast<qsizetype>(piece.size())));
    };
    return FittingFontPixels(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                             width(), height(), pixels, shrinkToPixels, bold, measure);
}

QFont CSkinLabel::LabelFont() const {
    return WithWeight(labelFont, bold);
}

void CSkinLabel::SetFontName(const QString& face) {
    labelFont.setFamily(face);
    update();
}

void CSkinLabel::SetBackgroundColor(const QColor& colour) {
    backgroundColor = colour;
    UpdateOpacity();
}

void CSkinLabel::SetTransparent() {
    backgroundColor.reset();
    UpdateOpacity();
}

void CSkinLabel::SetSuppressBackground(bool suppress) {
    suppressBackground = suppress;
    UpdateOpacity();
}

void CSkinLabel::UpdateOpacity() {
    // A label that fills its background covers what lies below, so a new text repaints the label alone
    // rather than the window's pictures under it first.
    setAttribute(Qt::WA_OpaquePaintEvent, backgroundColor.has_value() && !suppressBackground);
}

void ApplyLabelLook(CSkinLabel& label, const LabelLook& look) {
    if (look.background) {
        label.SetBackgroundColor(QColor(QtRgb(*look.background)));
    } else {
        label.SetTransparent();
    }
    label.SetTextColor(QColor(QtRgb(look.colour)));
    if (look.face != nullptr) {
        label.SetFontName(QLatin1String(look.face));
    }
    label.SetFontSize(look.pixels);
    if (look.smallestPixels > 0) {
        label.SetShrinkToFit(look.smallestPixels);
    }
    label.SetBold(look.bold);
}

void CSkinLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (backgroundColor && !suppressBackground) {
        painter.fillRect(event->rect(), *backgroundColor);
    }

    QFont drawnFont = labelFont;
    drawnFont.setPixelSize(DrawnFontPixels());
    const QFont normalFont = WithWeight(drawnFont, false);
    const QFont boldFont = WithWeight(drawnFont, true);
    const QFontMetrics normalMetrics(normalFont);
    const QFontMetrics boldMetrics(boldFont);
    if (measuredFont != drawnFont || measuredWidths.size() > kMeasuredWidthsKept) {
        measuredWidths.clear();
        measuredFont = drawnFont;
    }
    const MeasureText measure = [&](std::string_view piece, bool pieceBold) {
        const auto [kept, isNew] = measuredWidths.try_emplace({std::string(piece), pieceBold}, 0);
        if (isNew) {
            const QString qpiece = QString::fromLocal8Bit(piece.data(), static_cast<qsizetype>(piece.size()));
            kept->second = (pieceBold ? boldMetrics : normalMetrics).horizontalAdvance(qpiece);
        }
        return kept->second;
    };
    const int lineHeight = drawnFont.pixelSize();

    const QByteArray bytes = text.toLocal8Bit();
    const LabelLayout layout =
        LayoutLabelPaint(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), width(),
                         lineHeight, bold, measure);

    painter.setPen(textColor);
    for (const LabelLine& line : layout.lines) {
        for (const LabelRun& run : line.runs) {
            painter.setFont(run.bold ? boldFont : normalFont);
            const QFontMetrics& metrics = run.bold ? boldMetrics : normalMetrics;
            painter.drawText(run.x, line.y + metrics.ascent(), QString::fromLocal8Bit(run.text));
        }
    }
}

}  // namespace fwu
