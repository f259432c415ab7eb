// Fonts, canvases and text drawing for the face artwork.
#include "tools/skin-art/ArtKit.h"

#include <QFontMetrics>

namespace fwu::skinart {

QFont Face(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font.setKerning(true);
    return font;
}

int FitPixelSize(const QString& text, bool bold, int width, int largest, int smallest) {
    for (int size = largest; size > smallest; --size) {
        if (QFontMetrics(Face(size, bold)).horizontalAdvance(text) <= width) {
            return size;
        }
    }
    return smallest;
}

QImage Canvas(int width, int height, const QColor& fill) {
    const int scale = DrawingScale();
    QImage canvas(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(fill);
    return canvas;
}

void BeginPainter(QPainter& painter, QImage& canvas) {
    painter.begin(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
}

void DrawText(QPainter& painter, const QRect& rect, int flags, const QString& text, const QFont& font,
              const QColor& ink) {
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(rect, flags, text);
}

}  // namespace fwu::skinart
