// CSkinLabel: the text label of the face. It paints its own text through the label line layout (left
// aligned, wrapped, "+" switching to bold), over a solid background colour or over whatever lies below.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace fwu {

struct LabelLook;

class CSkinLabel : public QWidget {
    Q_OBJECT

public:
    explicit CSkinLabel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return text; }

    // Colour and font setters schedule a paint of the whole label (Qt joins it with others).
    void SetTextColor(const QColor& colour);
    void SetBold(bool bold);
    void SetFontSize(int pixels);  // character height in pixels
    void SetFontName(const QString& face);
    // From now on a text that does not lie whole inside the label at its font size is drawn at the
    // largest size down to `smallestPixels` at which it does (0: never smaller).
    void SetShrinkToFit(int smallestPixels);
    // The font height the text is drawn at (the font size, or less when shrunk to fit).
    int DrawnFontPixels() const;

    // Background setters take effect at the next paint.
    void SetBackgroundColor(const QColor& colour);
    void SetTransparent();  // no background: what lies below shows through
    // While set, no background is painted (the window sets it on every label during a page change).
    void SetSuppressBackground(bool suppress);

    QColor TextColor() const { return textColor; }
    std::optional<QColor> BackgroundColor() const { return backgroundColor; }
    // The label's font at the weight it paints from now.
    QFont LabelFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateOpacity();

    QString text;
    QColor textColor;
    std::optional<QColor> backgroundColor;  // none: transparent
    bool suppressBackground = false;
    QFont labelFont;    // face and size; the weight is `bold`
    bool bold = false;  // changed by SetBold and for good by a "+" in a painted text
    int shrinkToPixels = 0;
    // Widths of text pieces in measuredFont, kept across paints: shaping a text is most of a paint's
    // work, and a label shows few distinct pieces (the percent figure counts through the same hundred).
    QFont measuredFont;
    std::map<std::pair<std::string, bool>, int> measuredWidths;
};

// Gives `label` the look the wizard names: colour, size (and the smallest it shrinks to), weight, face and
// background.
void ApplyLabelLook(CSkinLabel& label, const LabelLook& look);

}  // namespace fwu
