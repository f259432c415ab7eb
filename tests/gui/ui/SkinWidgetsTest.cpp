// The face's pictures, the image buttons' drawing, the skin label and the edit field on real painters.
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "FaceWindow.h"
#include "ui/EditEx.h"
#include "ui/ImageButtons.h"
#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"

using namespace fwu;

namespace {

QImage Canvas(int width, int height, QColor colour) {
    QImage canvas(width, height, QImage::Format_ARGB32);
    canvas.fill(colour);
    return canvas;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& match) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += match(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class SkinWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeAtTheirSizes();
    void missingPictureGivesNothing();
    void drawLeavesTransparentColourOut();
    void drawWithoutImageDrawsNothing();
    void buttonsDrawTheirSetAtTheSlot();
    void labelBackgroundTransparentAndSuppressed();
    void labelNewTextLeavesNoTraceOnScreen();
    void labelWrapsAndKeepsPlusWeight();
    void editFieldColours();
};

void SkinWidgetsTest::picturesDecodeAtTheirSizes() {
    const std::optional<QImage> frame = LoadSkinImage(kFrameImageId, kFrameType);
    QVERIFY(frame.has_value());
    QCOMPARE(frame->size(), QSize(560, 420));
    const int contentIds[] = {165, 169, 167, 168, 166, 170};
    const QSize contentSizes[] = {{407, 210}, {390, 160}, {390, 175}, {400, 200}, {407, 210}, {407, 210}};
    for (int index = 0; index <= PAGE_BLANK; ++index) {
        QCOMPARE(ContentImageId(index), contentIds[index]);
        const std::optional<QImage> contents = LoadSkinImage(ContentImageId(index), kContentsType);
        QVERIFY2(contents.has_value(), qPrintable(QString::number(index)));
        QCOMPARE(contents->size(), contentSizes[index]);
    }
    QCOMPARE(ContentImageId(6), 0);
    QCOMPARE(LoadSkinImage(kBarImageId, kBarType)->size(), QSize(3, 28));
}

void SkinWidgetsTest::missingPictureGivesNothing() {
    QVERIFY(!LoadSkinImage(999, kButtonType).has_value());
    QVERIFY(!LoadSkinImage(kFrameImageId, kButtonType).has_value());
    QVERIFY(!LoadSkinImage(ContentImageId(6), kContentsType).has_value());
}

void SkinWidgetsTest::drawLeavesTransparentColourOut() {
    // The welcome picture has a silver transparent colour: red shows through it, and nothing is silver.
    const std::optional<QImage> welcome = LoadSkinImage(ContentImageId(0), kContentsType);
    QVERIFY(welcome.has_value());
    QImage canvas = Canvas(420, 220, Qt::red);
    QPainter painter(&canvas);
    DrawSkinImage(welcome, painter, 5, 7);
    painter.end();
    const QRect drawn(5, 7, 407, 210);
    QVERIFY(CountPixels(canvas, drawn, [](QColor c) { return c == QColor(Qt::red); }) > 0);
    QCOMPARE(CountPixels(canvas, drawn, [](QColor c) { return c == QColor(192, 192, 192); }), 0);
    // Nothing lands outside the picture's own rectangle.
    QCOMPARE(CountPixels(canvas, QRect(0, 0, 420, 7), [](QColor c) { return c != QColor(Qt::red); }), 0);
    QCOMPARE(CountPixels(canvas, QRect(412, 0, 8, 220), [](QColor c) { return c != QColor(Qt::red); }), 0);

    // The blank panel is opaque: it covers its whole rectangle.
    QImage covered = Canvas(420, 220, Qt::red);
    QPainter blankPainter(&covered);
    DrawSkinImage(LoadSkinImage(ContentImageId(PAGE_BLANK), kContentsType), blankPainter, 5, 7);
    blankPainter.end();
    QCOMPARE(CountPixels(covered, drawn, [](QColor c) { return c == QColor(Qt::red); }), 0);
}

void SkinWidgetsTest::drawWithoutImageDrawsNothing() {
    QImage canvas = Canvas(20, 20, Qt::red);
    QPainter painter(&canvas);
    DrawSkinImage(static_cast<const QImage*>(nullptr), painter, 0, 0);
    DrawSkinImage(std::optional<QImage>(), painter, 0, 0);
    const QImage null;
    DrawSkinImage(&null, painter, 0, 0);
    painter.end();
    QCOMPARE(canvas, Canvas(20, 20, Qt::red));
}

void SkinWidgetsTest::buttonsDrawTheirSetAtTheSlot() {
    const QRect slot1 = ButtonRect(BTN_FORWARD);
    QImage normal = Canvas(571, 431, Qt::red);
    QImage highlighted = Canvas(571, 431, Qt::red);
    {
        QPainter painter(&normal);
        QVERIFY(DrawButton(painter, BTN_FORWARD, kInitialButtonSets, false));
        QPainter hot(&highlighted);
        QVERIFY(DrawButton(hot, BTN_FORWARD, kInitialButtonSets, true));
    }
    // The button covers its slot and nothing else; the two looks differ.
    QCOMPARE(CountPixels(normal, slot1, [](QColor c) { return c == QColor(Qt::red); }), 0);
    QCOMPARE(CountPixels(normal, QRect(0, 0, 571, 431), [](QColor c) { return c != QColor(Qt::red); }),
             slot1.width() * slot1.height());
    QVERIFY(normal != highlighted);

    QImage untouched = Canvas(571, 431, Qt::red);
    QPainter painter(&untouched);
    QVERIFY(!DrawButton(painter, FaceSlot::None, kInitialButtonSets, true));
    QVERIFY(!DrawButton(painter, static_cast<FaceSlot>(4), kInitialButtonSets, true));
    QVERIFY(!DrawButton(painter, BTN_SECOND, {0, 9, 5}, false));
    painter.end();
    QCOMPARE(untouched, Canvas(571, 431, Qt::red));
}

void SkinWidgetsTest::labelBackgroundTransparentAndSuppressed() {
    QWidget parent;
    parent.resize(200, 100);
    QPalette red = parent.palette();
    red.setColor(QPalette::Window, Qt::red);
    parent.setPalette(red);
    parent.setAutoFillBackground(true);
    CSkinLabel label(&parent);
    label.setGeometry(10, 10, 120, 40);
    label.SetText("x");
    label.SetBackgroundColor(Qt::white);
    const QPoint blank(120, 45);  // inside the label, away from the text

    QCOMPARE(parent.grab().toImage().pixelColor(blank), QColor(Qt::white));
    label.SetSuppressBackground(true);
    QCOMPARE(parent.grab().toImage().pixelColor(blank), QColor(Qt::red));
    label.SetSuppressBackground(false);
    QCOMPARE(parent.grab().toImage().pixelColor(blank), QColor(Qt::white));
    label.SetTransparent();
    QCOMPARE(parent.grab().toImage().pixelColor(blank), QColor(Qt::red));
    QVERIFY(label.testAttribute(Qt::WA_TransparentForMouseEvents));
}

// On screen, a label repaints only itself when it paints its own background, and the face below it too
// when it does not: either way the screen shows the face with the label's new text over it, and nothing
// of the old text or of a stale picture.
void SkinWidgetsTest::labelNewTextLeavesNoTraceOnScreen() {
    const std::function<void(CSkinLabel&)> states[] = {
        [](CSkinLabel& label) { label.SetBackgroundColor(Qt::white); },
        [](CSkinLabel& label) { label.SetSuppressBackground(true); },
        [](CSkinLabel& label) { label.SetTransparent(); },
    };
    for (std::size_t state = 0; state < std::size(states); ++state) {
        test::FaceWindow window(3);
        CSkinLabel label(&window);
        label.setGeometry(200, 347, 60, 25);
        label.SetFontSize(16);
        label.SetTextColor(Qt::blue);
        states[state](label);
        label.SetText("88 %");
        QVERIFY(test::ShowActive(window));
        label.SetText("1 %");

        QImage expected = test::FaceWindow(3).grab().toImage().convertToFormat(QImage::Format_RGB32);
        QPainter painter(&expected);
        label.render(&painter, label.pos(), QRegion(), QWidget::DrawChildren);  // no window background
        painter.end();
        QTRY_VERIFY2(
            window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32) ==
                expected,
            qPrintable(QStringLiteral("state %1").arg(state)));
    }
}

void SkinWidgetsTest::labelWrapsAndKeepsPlusWeight() {
    CSkinLabel label;
    label.resize(60, 60);
    label.SetBackgroundColor(Qt::white);
    label.SetTextColor(Qt::blue);
    label.SetFontSize(14);
    label.SetText("MMMM MMMM");
    const QImage wrapped = label.grab().toImage();
    // Two lines: ink in the band of the first (0..15) and of the second (16..31), in the text colour.
    const auto blueish = [](QColor c) { return c.blue() > 128 && c.red() < 128 && c.green() < 128; };
    QVERIFY(CountPixels(wrapped, QRect(0, 0, 60, 16), blueish) > 0);
    QVERIFY(CountPixels(wrapped, QRect(0, 16, 60, 16), blueish) > 0);
    QCOMPARE(CountPixels(wrapped, QRect(0, 34, 60, 26), blueish), 0);
    // A smaller font lays the same text out anew, on one line: no width measured at 14 pixels is used.
    label.SetFontSize(5);
    QCOMPARE(CountPixels(label.grab().toImage(), QRect(0, 7, 60, 53), blueish), 0);
    label.SetFontSize(14);
    QVERIFY(CountPixels(label.grab().toImage(), QRect(0, 16, 60, 16), blueish) > 0);

    QVERIFY(!label.LabelFont().bold());
    label.SetText("ab+cd");
    label.grab();
    QVERIFY(label.LabelFont().bold());
    label.SetText("plain");
    label.grab();
    QVERIFY(label.LabelFont().bold());
    label.SetText("a+b+c");
    label.grab();
    QVERIFY(!label.LabelFont().bold());
}

void SkinWidgetsTest::editFieldColours() {
    QWidget parent;
    parent.resize(100, 40);
    CEditEx edit(&parent);
    edit.setGeometry(0, 0, 100, 40);
    const QColor initialBackground = edit.BackgroundColor();
    QCOMPARE(edit.SetBackgroundColor(Qt::green), initialBackground);
    QCOMPARE(edit.SetBackgroundColor(Qt::white), QColor(Qt::green));
    const QColor initialText = edit.TextColor();
    QCOMPARE(edit.SetTextColor(QColor(75, 75, 75)), initialText);
    QCOMPARE(edit.SetTextColor(Qt::black), QColor(75, 75, 75));
    QVERIFY(!edit.hasFrame());
    edit.SetBackgroundColor(Qt::green);
    QCOMPARE(parent.grab().toImage().pixelColor(1, 1), QColor(Qt::green));
}

QTEST_MAIN(SkinWidgetsTest)
#include "SkinWidgetsTest.moc"
