// Shared pieces of the face artwork: the colours of the face, fonts, canvases and text placement.
// Everything here draws the same pixels on every run, so the pictures are reproducible byte for byte.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

namespace fwu::skinart {

// Colours of the face.
namespace colour {
inline const QColor kNearBlack{26, 27, 36};
inline const QColor kColumnBlue{92, 97, 163};  // right column, and the empty button plate
inline const QColor kTitleBlue{44, 52, 122};
inline const QColor kBandBlue{66, 73, 143};    // header band and the rim around the content panel
inline const QColor kRimLight{140, 146, 205};  // thin lines between the blue areas
inline const QColor kWhite{255, 255, 255};
inline const QColor kSilver{192, 192, 192};  // the transparent colour of the overlay pictures
inline const QColor kInk{75, 75, 75};        // grey captions, as the value labels use
inline const QColor kHeading{40, 58, 150};
inline const QColor kWarning{176, 28, 28};
inline const QColor kAccent{240, 146, 32};  // the maker mark
inline const QColor kAccentDark{196, 96, 18};
inline const QColor kFinePrint{150, 152, 168};
}  // namespace colour

// Content pictures are drawn at this client point of the window; their own coordinates are client
// coordinates minus this origin.
inline constexpr QPoint kContentOrigin{20, 176};
inline QPoint FromClient(int x, int y) {
    return QPoint(x, y) - kContentOrigin;
}
inline QRect FromClient(const QRect& r) {
    return r.translated(-kContentOrigin);
}

// DejaVu Sans at a pixel size, without hinting so that glyph shapes do not depend on the display.
QFont Face(int pixelSize, bool bold);

// The largest pixel size from `largest` down to `smallest` at which `text` is at most `width` wide.
int FitPixelSize(const QString& text, bool bold, int width, int largest, int smallest);

// A canvas of the given size filled with `fill` (a transparent fill for overlay pictures). Its size is in
// the face's logical pixels: at a drawing scale above 1 it holds that many device pixels per logical one
// and carries the scale as its device pixel ratio, so the same drawing code paints the finer picture.
QImage Canvas(int width, int height, const QColor& fill);

// The device pixels per logical pixel that Canvas gives; 1 unless a ScopedDrawingScale is alive.
int DrawingScale();

// Sets the drawing scale for its lifetime (1 or 2: the plain and the double-size pictures).
class ScopedDrawingScale {
public:
    explicit ScopedDrawingScale(int scale);
    ~ScopedDrawingScale();
    ScopedDrawingScale(const ScopedDrawingScale&) = delete;
    ScopedDrawingScale& operator=(const ScopedDrawingScale&) = delete;

private:
    int previous;
};

// Antialiased painter on a canvas.
void BeginPainter(QPainter& painter, QImage& canvas);

// Draws text in a rectangle with Qt alignment flags (Qt::TextWordWrap allowed).
void DrawText(QPainter& painter, const QRect& rect, int flags, const QString& text, const QFont& font,
              const QColor& ink);

}  // namespace fwu::skinart
