// The router and its two users, drawn from simple shapes: it stands in for a photograph on the welcome
// and success pages. Also the application icon, a router under an upward arrow.
#include <QLinearGradient>
#include <QPainterPath>

#include "tools/skin-art/Artwork.h"

namespace fwu::skinart {
namespace {

const QColor kSkin(232, 188, 148);
const QColor kHair(70, 48, 36);

// A person seen from the front: head, hair, shoulders and one arm reaching towards `reach`.
void DrawPerson(QPainter& painter, const QPointF& head, const QColor& shirt, const QPointF& reach) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(shirt);
    painter.drawRoundedRect(QRectF(head.x() - 17, head.y() + 14, 34, 140 - head.y() - 14), 13, 13);
    painter.setPen(QPen(shirt, 8, Qt::SolidLine, Qt::RoundCap));
    const QPointF shoulder(head.x() + (reach.x() > head.x() ? 12 : -12), head.y() + 24);
    painter.drawLine(shoulder, reach);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSkin);
    painter.drawEllipse(reach, 4.5, 4.5);
    painter.drawEllipse(head, 10.5, 11.5);
    painter.setBrush(kHair);
    painter.drawChord(QRectF(head.x() - 11, head.y() - 12.5, 22, 18), 0, 180 * 16);
}

void DrawRouter(QPainter& painter) {
    painter.setPen(QPen(QColor(60, 64, 84), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(58, 80), QPointF(52, 44));
    painter.drawLine(QPointF(98, 80), QPointF(104, 44));

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 106, 156));  // top face
    painter.drawPolygon(QPolygonF({QPointF(44, 90), QPointF(54, 78), QPointF(118, 78), QPointF(108, 90)}));
    painter.setBrush(QColor(44, 50, 82));  // front face
    painter.drawRoundedRect(QRectF(44, 90, 64, 22), 3, 3);
    painter.setBrush(QColor(30, 34, 58));  // side face
    painter.drawPolygon(
        QPolygonF({QPointF(108, 90), QPointF(118, 78), QPointF(118, 100), QPointF(108, 112)}));

    painter.setBrush(QColor(90, 220, 110));
    for (int led = 0; led < 4; ++led) {
        painter.drawEllipse(QPointF(54 + 9 * led, 101), 2.2, 2.2);
    }
    painter.setBrush(QColor(250, 170, 40));
    painter.drawEllipse(QPointF(98, 101), 2.2, 2.2);

    // Waves rising from the router.
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 3; ++ring) {
        painter.setPen(QPen(QColor(120, 150, 220), 2.5, Qt::SolidLine, Qt::RoundCap));
        const double r = 9.0 * ring;
        painter.drawArc(QRectF(78 - r, 40 - r, 2 * r, 2 * r), 55 * 16, 70 * 16);
    }
}

}  // namespace

void DrawRouterScene(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(area.width() / 152.0, area.height() / 144.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(226, 230, 242));
    painter.drawEllipse(QPointF(78, 132), 74, 10);

    DrawPerson(painter, QPointF(22, 56), QColor(46, 118, 196), QPointF(46, 100));
    DrawPerson(painter, QPointF(132, 50), QColor(226, 112, 44), QPointF(114, 96));
    DrawRouter(painter);
    painter.restore();
}

QImage DrawIcon(int size) {
    QImage canvas = Canvas(size, size, Qt::transparent);
    QPainter painter;
    BeginPainter(painter, canvas);
    painter.scale(size / 48.0, size / 48.0);

    QLinearGradient plate(QPointF(0, 0), QPointF(0, 48));
    plate.setColorAt(0, colour::kColumnBlue);
    plate.setColorAt(1, colour::kTitleBlue);
    painter.setPen(Qt::NoPen);
    painter.setBrush(plate);
    painter.drawRoundedRect(QRectF(1, 1, 46, 46), 9, 9);

    // Router box with lights.
    painter.setBrush(colour::kWhite);
    painter.drawRoundedRect(QRectF(8, 31, 32, 10), 2.5, 2.5);
    painter.setBrush(QColor(60, 170, 90));
    for (int led = 0; led < 3; ++led) {
        painter.drawEllipse(QPointF(13 + 5 * led, 36), 1.5, 1.5);
    }

    // Upward arrow: new firmware going in.
    painter.setBrush(colour::kAccent);
    painter.drawPolygon(QPolygonF({QPointF(24, 5), QPointF(35, 17), QPointF(28.5, 17), QPointF(28.5, 27),
                                   QPointF(19.5, 27), QPointF(19.5, 17), QPointF(13, 17)}));
    painter.end();
    return canvas;
}

}  // namespace fwu::skinart
