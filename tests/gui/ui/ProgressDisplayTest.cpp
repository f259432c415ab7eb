// The progress display on a face window: the controls, and what the screen shows after each progress
// message (the window's backing store, painted only where the messages asked) against the bar's colours,
// the face's and a whole fresh rendering.
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <memory>

#include "FaceWindow.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"

using namespace fwu;

namespace {

// The window area of the bar: 100 strips and the wipe's reach to the right and below.
constexpr QRect kBarArea = FaceRect(57, 312, 360, 343);

QRect StripRect(int strip) {
    return QRect(kBarLeft + kStripPitch * strip, kBarTop, kStripPitch, kDefaultStripHeight);
}

int DifferingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class ProgressDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlsOfThePage();
    void hiddenControlSteps();
    void barAfterMessages_data();
    void barAfterMessages();
    void wholeUpgradeOnScreen();
    void exposeRepaintsBarUpToPercent();
    void missingBarPictureStillCounts();
    void renderBar();

private:
    // What the window does with one progress message: the percent figure, then the bar, then the step.
    void Message(int newPercent);
    // What the screen shows of the window: its backing store, where only the areas asked for were painted.
    QImage Screen() const;
    // Fails (naming `when`) unless the screen shows strips 1..`strips` of the bar picture over the face
    // and the face right of them; with `asFresh`, also the bar area exactly as a fresh rendering of the
    // window shows it, and the figure loosely so.
    void CheckScreen(int strips, const QString& when, bool asFresh = true);

    std::unique_ptr<test::FaceWindow> window;
    std::unique_ptr<ProgressDisplay> display;
    QImage face;  // the screen before any strip was drawn
};

void ProgressDisplayTest::init() {
    window = std::make_unique<test::FaceWindow>(3);
    display = std::make_unique<ProgressDisplay>(window.get(), "Upgrading...", "1%");
    QVERIFY(display->LoadBarImage());
    QCOMPARE(display->BarDrawnCount(), 1);
    QCOMPARE(display->BarPercent(), 0);
    QVERIFY(test::ShowActive(*window));
    QCoreApplication::processEvents();
    face = Screen();
    QCOMPARE(face.size(), window->size());
}

void ProgressDisplayTest::cleanup() {
    display.reset();
    window.reset();
}

void ProgressDisplayTest::Message(int newPercent) {
    display->ShowMessage(newPercent, QStringLiteral("%1%").arg(newPercent));
    QCoreApplication::processEvents();
}

QImage ProgressDisplayTest::Screen() const {
    return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

void ProgressDisplayTest::CheckScreen(int strips, const QString& when, bool asFresh) {
    const std::optional<QImage> picture = LoadSkinImage(kBarImageId, kBarType);
    QVERIFY(picture.has_value());
    QCOMPARE(picture->size(), StripRect(1).size());
    const QImage shown = Screen();
    for (int k = 1; k <= kMaxStrips; ++k) {
        QImage expected = face.copy(StripRect(k));
        if (k <= strips) {
            QPainter painter(&expected);
            painter.drawImage(0, 0, *picture);
        }
        QVERIFY2(shown.copy(StripRect(k)) == expected,
                 qPrintable(QStringLiteral("%1: strip %2 of %3").arg(when).arg(k).arg(strips)));
    }
    if (!asFresh) {
        return;
    }
    const QImage fresh = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(shown.copy(kBarArea) == fresh.copy(kBarArea), qPrintable(when));
    // Text: the same machine renders it both times, but allow for a few pixels of smoothing.
    QVERIFY2(DifferingPixels(shown.copy(kPercentRect), fresh.copy(kPercentRect)) <= 20, qPrintable(when));
}

void ProgressDisplayTest::controlsOfThePage() {
    QCOMPARE(display->StatusText(), QString("Upgrading..."));
    QCOMPARE(display->PercentText(), QString("1%"));
    const QList<QProgressBar*> bars = window->findChildren<QProgressBar*>();
    QCOMPARE(bars.size(), 1);
    QVERIFY(!bars.front()->isVisible());
    display->SetStatusText("Writing to the Flash... please wait a moment...");
    QCOMPARE(display->StatusText(), QString("Writing to the Flash... please wait a moment..."));
    display.reset();
    QCOMPARE(window->findChildren<QWidget*>().size(), 0);
}

void ProgressDisplayTest::hiddenControlSteps() {
    for (int i = 0; i < 3; ++i) {
        display->StepIt();
    }
    QCOMPARE(display->ProgressPosition(), 3);
    display->ResetProgress();
    QCOMPARE(display->ProgressPosition(), 0);
    for (int i = 0; i < 101; ++i) {
        display->StepIt();
    }
    QCOMPARE(display->ProgressPosition(), 1);  // past the end it starts over
}

void ProgressDisplayTest::barAfterMessages_data() {
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<int>("strips");  // strips the screen shows after the last message
    QTest::addColumn<int>("count");   // strips counted as drawn
    QTest::newRow("first message draws strip 1") << QList<int>{1} << 1 << 1;
    QTest::newRow("jumps draw the strips between") << QList<int>{1, 10, 12, 37} << 37 << 37;
    QTest::newRow("the same percent again") << QList<int>{37, 37} << 37 << 37;
    QTest::newRow("100 back to 1 wipes the bar") << QList<int>{100, 1} << 1 << 1;
    QTest::newRow("0 wipes every strip") << QList<int>{37, 0} << 0 << 1;
    QTest::newRow("a shrink to the middle") << QList<int>{80, 30} << 30 << 30;
    QTest::newRow("growth after a shrink") << QList<int>{80, 30, 31, 45} << 45 << 45;
}

void ProgressDisplayTest::barAfterMessages() {
    QFETCH(QList<int>, messages);
    QFETCH(int, strips);
    QFETCH(int, count);
    for (const int p : messages) {
        Message(p);
    }
    CheckScreen(strips, QTest::currentDataTag());
    if (QTest::currentTestFailed()) {
        return;
    }
    QCOMPARE(display->BarDrawnCount(), count);
    QCOMPARE(display->BarPercent(), messages.back());
    QCOMPARE(display->PercentText(), QStringLiteral("%1%").arg(messages.back()));
}

void ProgressDisplayTest::wholeUpgradeOnScreen() {
    // The transfer 1..100, the start over without a message and the wait 1..100 again, then a failure
    // and a retry's first message.
    for (int p = 1; p <= 100; ++p) {
        Message(p);
        CheckScreen(p, QStringLiteral("transfer at %1").arg(p));
        if (QTest::currentTestFailed()) {
            return;
        }
    }
    display->SetBarPercent(0);  // the worker's start over: the strips stay until the next message
    QCoreApplication::processEvents();
    CheckScreen(100, QStringLiteral("start over"), false);
    if (QTest::currentTestFailed()) {
        return;
    }
    for (int p = 1; p <= 100; ++p) {
        Message(p);
        CheckScreen(p, QStringLiteral("wait at %1").arg(p));
        if (QTest::currentTestFailed()) {
            return;
        }
    }
    QCOMPARE(display->ProgressPosition(), 100);
    display->ShowFailure(QStringLiteral("Lost at 100%"));
    QCoreApplication::processEvents();
    CheckScreen(0, QStringLiteral("failure"));
    if (QTest::currentTestFailed()) {
        return;
    }
    display->ShowStart(QStringLiteral("Upgrading..."), QStringLiteral("1%"));
    Message(1);
    CheckScreen(1, QStringLiteral("retry"));
    if (QTest::currentTestFailed()) {
        return;
    }
}

void ProgressDisplayTest::exposeRepaintsBarUpToPercent() {
    const QColor stripColour = LoadSkinImage(kBarImageId, kBarType)->pixelColor(1, 14);
    for (int p = 1; p <= 37; ++p) {
        Message(p);
    }
    // Covered and uncovered: the whole face is painted again, the bar from the current percent.
    window->repaint();
    const QImage face = window->grab().toImage();
    for (int strip = 1; strip <= 37; ++strip) {
        QCOMPARE(face.pixelColor(57 + 3 * strip + 1, 326), stripColour);
    }
    for (int strip = 38; strip <= 100; ++strip) {
        QVERIFY(face.pixelColor(57 + 3 * strip + 1, 326) != stripColour);
    }
}

void ProgressDisplayTest::missingBarPictureStillCounts() {
    display->FreeBarImage();
    QVERIFY(!display->HasBarImage());
    const QImage before = window->grab().toImage();
    Message(5);
    QCOMPARE(display->BarDrawnCount(), 5);
    QCOMPARE(display->PercentText(), QString("5%"));
    const QImage after = window->grab().toImage();
    QCOMPARE(after.copy(FaceRect(57, 312, 360, 343)), before.copy(FaceRect(57, 312, 360, 343)));
}

void ProgressDisplayTest::renderBar() {
    for (const int p : {0, 37, 100}) {
        display->SetBarPercent(p);
        display->SetPercentText(QStringLiteral("%1%").arg(p));
        window->repaint();
        QVERIFY(window->grab().save(test::RenderPath(QStringLiteral("ui-bar-%1.png").arg(p))));
    }
}

QTEST_MAIN(ProgressDisplayTest)
#include "ProgressDisplayTest.moc"
