// The line layout of the face's text labels: words are placed left to right and wrapped at the label's
// width, a newline breaks the line, and "+" characters switch runs between the label's weight and bold.
// Pure: the text widths come from a measuring callback, so the layout is tested without a font.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fwu {

// Width in pixels of `text` drawn in the label's font, bold or at normal weight.
using MeasureText = std::function<int(std::string_view text, bool bold)>;

struct LabelRun {
    std::string text;  // without the "+" characters
    bool bold = false;
    int x = 0;  // left edge, relative to the label's left edge
};

struct LabelLine {
    int y = 0;  // top, relative to the label's top; lines are lineHeight + 2 apart
    std::vector<LabelRun> runs;
};

struct LabelLayout {
    std::vector<LabelLine> lines;
    bool boldAfter = false;  // the label's weight once the text is drawn: a "+" changes it for good
};

// Lays out `text` (bytes; " ", "\n" and "+" are the only characters looked at) in a label `width`
// pixels wide whose font is `lineHeight` pixels high and starts bold when `bold` is set. The k-th "+"
// of a line makes the rest bold for odd k and normal for even k. A word wider than the label gets a
// line of its own, so the layout always ends.
LabelLayout LayoutLabelText(std::string_view text, int width, int lineHeight, bool bold,
                            const MeasureText& measure);

// One paint of a label: lays `text` out as LayoutLabelText does, from the label's weight `labelBold`, and
// leaves in `labelBold` the weight the text ends in. A "+" so changes the label's weight for good: the
// next paint starts from it, and so does whatever reads the label's weight after the paint. Every window
// paints its labels through this.
LabelLayout LayoutLabelPaint(std::string_view text, int width, int lineHeight, bool& labelBold,
                             const MeasureText& measure);

// Width in pixels of `text` in the label's font at `pixels` high.
using MeasureTextAt = std::function<int(std::string_view text, bool bold, int pixels)>;

// The largest font height from `largest` down to `smallest` at which `text` lies whole inside a label
// of `width` x `height` pixels: every line within the height and no word wider than the label.
// `smallest` when none does.
int FittingFontPixels(std::string_view text, int width, int height, int largest, int smallest, bool bold,
                      const MeasureTextAt& measure);

}  // namespace fwu
