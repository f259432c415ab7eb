// The whole window face ("FRAME" 151, 560 x 420): the dark top band with the maker mark, the two blue
// header bands, the white content panel, the blue button column on the right and the dark foot line.
#include <QPainterPath>
#include <QPolygon>

#include "tools/skin-art/Artwork.h"

namespace fwu::skinart {
namespace {

// The maker mark: a square standing on its corner, cut into four facets, with the maker's name after it.
void DrawMakerMark(QPainter& painter) {
    const QPointF centre(42, 35);
    const double r = 21;
    const QPointF top(centre.x(), centre.y() - r), right(centre.x() + r, centre.y());
    const QPointF bottom(centre.x(), centre.y() + r), left(centre.x() - r, centre.y());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour::kAccent);
    painter.drawPolygon(QPolygonF({top, right, centre}));
    painter.drawPolygon(QPolygonF({bottom, left, centre}));
    painter.setBrush(colour::kAccentDark);
    painter.drawPolygon(QPolygonF({right, bottom, centre}));
    painter.setBrush(colour::kWhite);
    painter.drawPolygon(QPolygonF({left, top, centre}));
    // A dark notch through the middle turns the facets into a "T"-like cut.
    painter.setBrush(colour::kNearBlack);
    painter.drawRect(QRectF(centre.x() - 2, centre.y() - 2, 2 * r * 0.55, 4));
    painter.drawRect(QRectF(centre.x() - 2, centre.y() - 2, 4, r * 0.8));

    DrawText(painter, QRect(74, 12, 240, 46), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Torvane"),
             Face(32, true), colour::kWhite);
}

// Rings of a radio wave in the empty upper part of the button column, clear of all three button slots.
void DrawColumnEmblem(QPainter& painter) {
    const QPointF source(494, 236);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 4; ++ring) {
        QPen pen(QColor(124, 130, 192), 5, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        const double radius = 22.0 * ring;
        painter.drawArc(QRectF(source.x() - radius, source.y() - radius, 2 * radius, 2 * radius), 50 * 16,
                        80 * 16);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(124, 130, 192));
    painter.drawEllipse(source, 7, 7);
}

}  // namespace

QImage DrawFrame() {
    QImage canvas = Canvas(560, 420, colour::kBandBlue);
    QPainter painter;
    BeginPainter(painter, canvas);

    painter.fillRect(QRect(0, 0, 430, 70), colour::kNearBlack);
    painter.fillRect(QRect(0, 70, 430, 58), colour::kTitleBlue);
    painter.fillRect(QRect(0, 128, 430, 42), colour::kBandBlue);
    painter.fillRect(QRect(0, 126, 430, 2), colour::kRimLight);
    painter.fillRect(QRect(10, 170, 418, 216), colour::kWhite);
    painter.fillRect(QRect(430, 0, 130, 390), colour::kColumnBlue);
    painter.fillRect(QRect(428, 70, 2, 320), colour::kRimLight);
    painter.fillRect(QRect(0, 390, 560, 30), colour::kNearBlack);

    DrawMakerMark(painter);

    const QString title = QStringLiteral("Firmware Upgrade Utility");
    DrawText(painter, QRect(22, 70, 400, 56), Qt::AlignLeft | Qt::AlignVCenter, title,
             Face(FitPixelSize(title, true, 396, 34, 20), true), colour::kWhite);

    DrawColumnEmblem(painter);

    DrawText(painter, QRect(22, 390, 520, 30), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Torvane home networking  \u00B7  Keep the router switched on until the "
                            "upgrade has finished."),
             Face(10, false), colour::kFinePrint);
    painter.end();
    return canvas;
}

}  // namespace fwu::skinart
