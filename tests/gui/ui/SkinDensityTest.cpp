// The face's pictures on high-density paint devices: painted from their double-size drawings over the
// same logical rectangles, with text that is finer than a doubled plain picture.
#include <QPainter>
#include <QTest>

#include "FaceWindow.h"
#include "ui/SkinImage.h"

using namespace fwu;

namespace {

QImage DenseCanvas(qreal ratio) {
    QImage canvas(qCeil(571 * ratio), qCeil(431 * ratio), QImage::Format_ARGB32);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::red);
    return canvas;
}

// True when some 2 x 2 block on even device pixels in `area` (logical, at ratio 2) holds two colours:
// a plain picture painted at twice its size repeats every pixel in such a block.
bool HasFinerDetail(const QImage& canvas, const QRect& area) {
    for (int y = area.top() * 2; y < (area.bottom() + 1) * 2; y += 2) {
        for (int x = area.left() * 2; x < (area.right() + 1) * 2; x += 2) {
            const QRgb corner = canvas.pixel(x, y);
            if (canvas.pixel(x + 1, y) != corner || canvas.pixel(x, y + 1) != corner ||
                canvas.pixel(x + 1, y + 1) != corner) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class SkinDensityTest : public QObject {
    Q_OBJECT

private slots:
    void picturesPaintFromTheirDoubleSizeDrawing_data();
    void picturesPaintFromTheirDoubleSizeDrawing();
    void logicalRectangleKeptAtEveryRatio();
    void windowRenderedAtRatioTwoUsesDoubleSizeDrawing();
};

void SkinDensityTest::picturesPaintFromTheirDoubleSizeDrawing_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("id");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRect>("text");  // logical, relative to the picture
    QTest::newRow("frame title") << "FRAME" << 151 << QPoint(0, 0) << QRect(22, 70, 400, 56);
    QTest::newRow("welcome heading, transparent")
        << "CONTENTS" << 165 << QPoint(20, 176) << QRect(12, 2, 390, 40);
    QTest::newRow("next button caption") << "BUTTON" << 158 << QPoint(446, 249) << QRect(10, 8, 85, 32);
}

void SkinDensityTest::picturesPaintFromTheirDoubleSizeDrawing() {
    QFETCH(QString, type);
    QFETCH(int, id);
    QFETCH(QPoint, at);
    QFETCH(QRect, text);
    const std::optional<QImage> plain = LoadSkinImage(id, type.toStdString());
    QVERIFY(plain.has_value());
    const QImage dense(QStringLiteral(":/%1/%2@2x.gif").arg(type).arg(id));
    QCOMPARE(dense.size(), plain->size() * 2);

    QImage canvas = DenseCanvas(2);
    QPainter painter(&canvas);
    DrawSkinImage(plain, painter, at.x(), at.y());
    painter.end();

    // Every device pixel is the double-size drawing's pixel, or red where it is transparent.
    const QRect drawn(at * 2, dense.size());
    const QImage denseArgb = dense.convertToFormat(QImage::Format_ARGB32);
    int mismatches = 0;
    for (int y = 0; y < dense.height(); ++y) {
        for (int x = 0; x < dense.width(); ++x) {
            const QRgb source = denseArgb.pixel(x, y);
            const QRgb expected = qAlpha(source) == 0 ? qRgb(255, 0, 0) : source;
            mismatches += canvas.pixel(drawn.x() + x, drawn.y() + y) == expected ? 0 : 1;
        }
    }
    QCOMPARE(mismatches, 0);
    QVERIFY(HasFinerDetail(canvas, text.translated(at)));
    // The plain picture doubled has no such detail: the check can tell the two apart.
    QImage doubled = DenseCanvas(2);
    QPainter doubling(&doubled);
    doubling.drawImage(at, *plain);
    doubling.end();
    QVERIFY(!HasFinerDetail(doubled, text.translated(at)));
}

void SkinDensityTest::logicalRectangleKeptAtEveryRatio() {
    const std::optional<QImage> frame = LoadSkinImage(kFrameImageId, kFrameType);
    QVERIFY(frame.has_value());
    QCOMPARE(frame->size(), QSize(560, 420));  // what the window sizes itself from, at every ratio
    // Resampled at 1.5 and 3: the picture covers its logical rectangle (4, 6) .. (563, 425) exactly.
    for (const qreal ratio : {1.5, 3.0}) {
        QImage canvas = DenseCanvas(ratio);
        QPainter painter(&canvas);
        DrawSkinImage(frame, painter, 4, 6);
        painter.end();
        const QPoint first(qRound(4 * ratio), qRound(6 * ratio));
        const QPoint last(qRound(564 * ratio) - 1, qRound(426 * ratio) - 1);
        const QRgb red = qRgb(255, 0, 0);
        QVERIFY2(canvas.pixel(first) != red && canvas.pixel(last) != red, qPrintable(QString::number(ratio)));
        QVERIFY2(canvas.pixel(first - QPoint(1, 1)) == red && canvas.pixel(last + QPoint(1, 1)) == red,
                 qPrintable(QString::number(ratio)));
    }
}

void SkinDensityTest::windowRenderedAtRatioTwoUsesDoubleSizeDrawing() {
    // A widget painting the face with QPainter(this), rendered into a ratio-2 image as a grab does.
    test::FaceWindow window(0);
    QImage canvas = DenseCanvas(2);
    window.render(&canvas);
    QVERIFY(HasFinerDetail(canvas, QRect(22, 70, 400, 56)));
    QVERIFY(canvas.save(test::RenderPath(QStringLiteral("face-welcome@2x.png")), "PNG"));
}

QTEST_MAIN(SkinDensityTest)
#include "SkinDensityTest.moc"
