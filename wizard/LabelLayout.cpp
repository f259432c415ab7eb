// The label line layout: pieces of text up to and including a space, or up to a newline, are added to a
// line while they fit; each line is then cut into runs at its "+" characters.
#include "wizard/LabelLayout.h"

namespace fwu {
namespace {

struct Piece {
    std::string_view text;
    std::size_t consumed = 0;  // characters taken from the text, a newline included
    bool endsLine = false;
};

Piece NextPiece(std::string_view text, std::size_t pos) {
    const std::size_t space = text.find(' ', pos);
    const std::size_t newline = text.find('\n', pos);
    if (newline != std::string_view::npos && (space == std::string_view::npos || newline < space)) {
        const std::string_view piece = text.substr(pos, newline - pos);
        return {piece, piece.size() + 1, true};
    }
    if (space == std::string_view::npos) {
        const std::string_view piece = text.substr(pos);
        return {piece, piece.size(), true};
    }
    const std::string_view piece = text.substr(pos, space - pos + 1);
    return {piece, piece.size(), false};
}

// Cuts a line into runs at its "+" characters; the odd ones switch to bold, the even ones back to normal
// weight. Answers the weight the label has after the line.
bool CutRuns(std::string_view line, bool bold, const MeasureText& measure, std::vector<LabelRun>& runs) {
    int x = 0;
    int plusCount = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t plus = line.find('+', start);
        const std::string_view run = line.substr(start, plus == std::string_view::npos ? plus : plus - start);
        if (plus == std::string_view::npos) {
            // The last run's width moves nothing after it, so it is not measured.
            if (!run.empty()) {
                runs.push_back({std::string(run), bold, x});
            }
            return bold;
        }
        if (!run.empty()) {
            runs.push_back({std::string(run), bold, x});
            x += measure(run, bold);
        }
        ++plusCount;
        bold = plusCount % 2 == 1;
        start = plus + 1;
    }
}

}  // namespace

LabelLayout LayoutLabelText(std::string_view text, int width, int lineHeight, bool bold,
                            const MeasureText& measure) {
    LabelLayout layout;
    std::size_t pos = 0;
    int y = 0;
    while (pos < text.size()) {
        std::string line;
        int lineWidth = 0;
        for (;;) {
            const Piece piece = NextPiece(text, pos);
            // A piece that does not fit waits for the next line, unless the line is still empty: a word
            // wider than the label then stands on a line of its own instead of never being placed.
            const int pieceWidth = measure(piece.text, bold);
            if (pieceWidth + lineWidth > width && !line.empty()) {
                break;
            }
            const bool firstPiece = line.empty();
            line += piece.text;
            pos += piece.consumed;
            // A line of several pieces is measured whole: kerning across them can change the sum.
            lineWidth = firstPiece ? pieceWidth : measure(line, bold);
            if (lineWidth > width || piece.endsLine) {
                break;
            }
        }
        LabelLine laidOut;
        laidOut.y = y;
        bold = CutRuns(line, bold, measure, laidOut.runs);
        layout.lines.push_back(std::move(laidOut));
        y += lineHeight + 2;
    }
    layout.boldAfter = bold;
    return layout;
}

LabelLayout LayoutLabelPaint(std::string_view text, int width, int lineHeight, bool& labelBold,
                             const MeasureText& measure) {
    LabelLayout layout = LayoutLabelText(text, width, lineHeight, labelBold, measure);
    labelBold = layout.boldAfter;
    return layout;
}

int FittingFontPixels(std::string_view text, int width, int height, int largest, int smallest, bool bold,
                      const MeasureTextAt& measure) {
    for (int pixels = largest; pixels > smallest; --pixels) {
        const MeasureText at = [&](std::string_view piece, bool pieceBold) {
            return measure(piece, pieceBold, pixels);
        };
        const LabelLayout layout = LayoutLabelText(text, width, pixels, bold, at);
        bool fits = layout.lines.empty() || layout.lines.back().y + pixels <= height;
        for (const LabelLine& line : layout.lines) {
            for (const LabelRun& run : line.runs) {
                std::string_view ink = run.text;  // a space at the end of a line takes no room
                while (!ink.empty() && ink.back() == ' ') {
                    ink.remove_suffix(1);
                }
                fits = fits && run.x + at(ink, run.bold) <= width;
            }
        }
        if (fits) {
            return pixels;
        }
    }
    return smallest;
}

}  // namespace fwu
