// The image buttons of the right column and the strip of the progress bar. Buttons are opaque, so their
// corners are painted in the column's blue and the plates sit on the column without a seam.
#include <QLinearGradient>
#include <QPainterPath>

#include "tools/skin-art/Artwork.h"

namespace fwu::skinart {

QImage DrawButton(const QString& caption, bool highlighted) {
    QImage canvas = Canvas(105, 48, colour::kColumnBlue);
    QPainter painter;
    BeginPainter(painter, canvas);

    const QRectF plate(2.5, 3.5, 100, 41);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    if (highlighted) {
        fill.setColorAt(0, QColor(255, 232, 112));
        fill.setColorAt(1, QColor(236, 178, 24));
    } else {
        fill.setColorAt(0, QColor(74, 104, 214));
        fill.setColorAt(1, QColor(30, 48, 146));
    }
    painter.setPen(QPen(highlighted ? QColor(150, 98, 10) : QColor(198, 208, 255), 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(plate, 11, 11);

    DrawText(painter, plate.toRect(), Qt::AlignCenter, caption,
             Face(FitPixelSize(caption, true, 78, 18, 12), true),
             highlighted ? QColor(40, 36, 60) : colour::kWhite);
    painter.end();
    return canvas;
}

QImage DrawCloseButton(bool highlighted) {
    QImage canvas = Canvas(45, 45, colour::kColumnBlue);
    QPainter painter;
    BeginPainter(painter, canvas);

    const QPointF centre(22.5, 22.5);
    painter.setPen(QPen(highlighted ? QColor(150, 98, 10) : QColor(190, 196, 236), 2));
    painter.setBrush(highlighted ? QColor(246, 200, 40) : QColor(32, 34, 62));
    painter.drawEllipse(centre, 19, 19);

    // The cross: a dark outline under the white bars keeps it readable on the yellow plate too.
    const double arm = 7.5;
    const QLineF down(centre.x() - arm, centre.y() - arm, centre.x() + arm, centre.y() + arm);
    const QLineF up(centre.x() - arm, centre.y() + arm, centre.x() + arm, centre.y() - arm);
    if (highlighted) {
        painter.setPen(QPen(QColor(120, 76, 8), 7, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(down);
        painter.drawLine(up);
    }
    painter.setPen(QPen(colour::kWhite, 4.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(down);
    painter.drawLine(up);
    painter.end();
    return canvas;
}

QImage DrawEmptyPlate() {
    return Canvas(105, 48, colour::kColumnBlue);
}

QImage DrawBarStrip() {
    // Lighter at the top and bottom edge, darker in the middle: strips side by side read as one bar.
    QImage canvas = Canvas(3, 28, QColor(128, 128, 128));
    QPainter painter(&canvas);
    static const int kShade[28] = {176, 164, 152, 142, 134, 128, 122, 118, 114, 110, 108, 106, 104, 104,
                                   104, 104, 106, 108, 110, 114, 118, 122, 128, 134, 142, 152, 164, 176};
    for (int row = 0; row < 28; ++row) {
        painter.fillRect(QRect(0, row, 3, 1), QColor(kShade[row], kShade[row], kShade[row]));
    }
    painter.end();
    return canvas;
}

}  // namespace fwu::skinart
