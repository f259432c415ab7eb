// The page pictures ("CONTENTS"), drawn at client (20, 176) over the white panel of the face. The window
// places labels and edit fields over them, so each picture keeps those places free of ink and puts its
// captions, boxes and bar frame exactly around them.
#include "tools/skin-art/Artwork.h"

namespace fwu::skinart {
namespace {

constexpr int kWrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
constexpr int kLeftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int kRightMiddle = Qt::AlignRight | Qt::AlignVCenter;

// Heading, one line of text under it, and the router scene on the right (welcome and success pages).
QImage DrawGreeting(const QString& heading, const QString& line) {
    QImage canvas = Canvas(407, 210, Qt::transparent);
    QPainter painter;
    BeginPainter(painter, canvas);
    DrawText(painter, QRect(12, 2, 390, 40), kLeftMiddle, heading, Face(30, true), colour::kHeading);
    DrawText(painter, QRect(12, 44, 390, 18), kLeftMiddle, line,
             Face(FitPixelSize(line, true, 386, 13, 10), true), colour::kInk);
    DrawRouterScene(painter, QRectF(250, 64, 152, 144));
    painter.end();
    return canvas;
}

// A thin box around an edit field whose client rectangle is `field` (right and bottom exclusive).
void DrawFieldBox(QPainter& painter, const QRect& field) {
    const QRect box = FromClient(field).adjusted(-1, -1, 0, 0);  // lines just outside the field
    const QColor line(128, 132, 160);
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), line);
    painter.fillRect(QRect(box.left(), box.top() + box.height(), box.width() + 1, 1), line);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), line);
    painter.fillRect(QRect(box.left() + box.width(), box.top(), 1, box.height()), line);
}

}  // namespace

QImage DrawWelcome() {
    QImage canvas = DrawGreeting(QStringLiteral("Welcome"),
                                 QStringLiteral("This Utility will upgrade the firmware for your Router."));
    // Captions end left of the date labels at client (140, 255) and (140, 272).
    QPainter painter;
    BeginPainter(painter, canvas);
    const QString release = QStringLiteral("Release Date :");
    const QString firmware = QStringLiteral("Firmware Date :");
    const QFont font = Face(FitPixelSize(firmware, true, 110, 14, 9), true);
    const QPoint first = FromClient(140, 255);
    const QPoint second = FromClient(140, 272);
    DrawText(painter, QRect(0, first.y(), first.x() - 6, 17), kRightMiddle, release, font, colour::kInk);
    DrawText(painter, QRect(0, second.y(), second.x() - 6, 17), kRightMiddle, firmware, font, colour::kInk);
    painter.end();
    return canvas;
}

QImage DrawCongratulations() {
    return DrawGreeting(QStringLiteral("Congratulations"),
                        QStringLiteral("You have successfully upgraded your Router."));
}

QImage DrawLogin() {
    QImage canvas = Canvas(390, 160, colour::kWhite);
    QPainter painter;
    BeginPainter(painter, canvas);
    DrawText(painter, QRect(10, 6, 372, 40), kWrap,
             QStringLiteral("Enter the Router's IP Address and Password in the fields below."),
             Face(14, true), colour::kInk);

    // Four octet fields lie at client x 185 + 45 i .. 220 + 45 i, rows 238 .. 262; the box holds them
    // all and shows a dot in each of the three gaps between them.
    const QRect address(185, 238, 170, 25);
    const QRect password(185, 285, 170, 25);
    DrawFieldBox(painter, address);
    DrawFieldBox(painter, password);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour::kInk);
    for (int gap = 0; gap < 3; ++gap) {
        const QPoint centre = FromClient(225 + 45 * gap, 256);
        painter.drawEllipse(QPointF(centre.x() - 0.5, centre.y() + 0.5), 2.0, 2.0);
    }

    const QString addressCaption = QStringLiteral("Router's IP Address:");
    const QFont font = Face(FitPixelSize(addressCaption, true, 150, 14, 9), true);
    const QRect addressBox = FromClient(address);
    const QRect passwordBox = FromClient(password);
    const int captionRight = addressBox.left() - 8;
    DrawText(painter, QRect(0, addressBox.top(), captionRight, 25), kRightMiddle, addressCaption, font,
             colour::kInk);
    DrawText(painter, QRect(0, passwordBox.top(), captionRight, 25), kRightMiddle,
             QStringLiteral("Router's Password:"), font, colour::kInk);
    painter.end();
    return canvas;
}

QImage DrawVerify() {
    QImage canvas = Canvas(390, 175, Qt::transparent);
    QPainter painter;
    BeginPainter(painter, canvas);
    DrawText(painter, QRect(10, 4, 374, 50), kWrap,
             QStringLiteral("Verify that the information below is correct before you click the Upgrade "
                            "button to upgrade the Router."),
             Face(13, true), colour::kInk);

    // One caption per value label; the labels start at client x 190 on rows 236, 259, 283 and 308.
    const QString captions[] = {QStringLiteral("Model:"), QStringLiteral("Current Version:"),
                                QStringLiteral("Upgrade Version:"), QStringLiteral("Router's IP Address:")};
    const int rows[] = {236, 259, 283, 308};
    const int width = FromClient(190, 0).x() - 14 - 8;
    const QFont font = Face(FitPixelSize(captions[3], true, width, 14, 9), true);
    for (int i = 0; i < 4; ++i) {
        DrawText(painter, QRect(14, FromClient(0, rows[i]).y(), width, 17), kLeftMiddle, captions[i], font,
                 colour::kInk);
    }
    painter.end();
    return canvas;
}

QImage DrawProgress() {
    QImage canvas = Canvas(400, 200, colour::kWhite);
    QPainter painter;
    BeginPainter(painter, canvas);
    // Text stays above client row 273, where the status line starts.
    DrawText(painter, QRect(10, 6, 380, 50), kWrap,
             QStringLiteral("Do not close this program or unplug the Router while it is being upgraded."),
             Face(15, true), colour::kWarning);
    DrawText(painter, QRect(10, 56, 380, 36), kWrap,
             QStringLiteral("If the upgrade fails, restart the Router, then click Retry to try again."),
             Face(12, false), colour::kInk);

    // The bar frame: its lines lie on client columns 59 and 360 and rows 311 and 340, so the strips
    // drawn from (60, 312) to (359, 339) fill exactly its inside.
    const QPoint topLeft = FromClient(59, 311);
    const QPoint bottomRight = FromClient(360, 340);
    const QColor line(96, 98, 116);
    const int width = bottomRight.x() - topLeft.x() + 1;
    const int height = bottomRight.y() - topLeft.y() + 1;
    painter.fillRect(QRect(topLeft.x(), topLeft.y(), width, 1), line);
    painter.fillRect(QRect(topLeft.x(), bottomRight.y(), width, 1), line);
    painter.fillRect(QRect(topLeft.x(), topLeft.y(), 1, height), line);
    painter.fillRect(QRect(bottomRight.x(), topLeft.y(), 1, height), line);

    // Captions under the ends of the bar, away from the percent figure at client x 200 .. 260.
    const QFont font = Face(11, true);
    DrawText(painter, QRect(topLeft.x(), bottomRight.y() + 3, 60, 15), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("0%"), font, colour::kInk);
    DrawText(painter, QRect(bottomRight.x() - 59, bottomRight.y() + 3, 60, 15), Qt::AlignRight | Qt::AlignTop,
             QStringLiteral("100%"), font, colour::kInk);
    painter.end();
    return canvas;
}

QImage DrawBlankPanel() {
    return Canvas(407, 210, colour::kWhite);
}

}  // namespace fwu::skinart
