// The progress display on a face window that records every area it repaints: the controls, the bar's
// growth, wipe and clamp per progress message, the area each message repaints, and renderings.
#include <QPaintEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <memory>

#include "FaceWindow.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinImage.h"
#include "ui/SkinLabel.h"

using namespace fwu;

namespace {

// Records the paints of the window's child labels, in window coordinates.
class ChildPaintRecorder : public QObject {
public:
    std::vector<QRect> painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
                painted.push_back(rect.translated(widget->pos()));
            }
        }
        return false;
    }
};

QRegion Union(const std::vector<QRect>& rects) {
    QRegion region;
    for (const QRect& rect : rects) {
        region += rect;
    }
    return region;
}

qint64 Area(const QRegion& region) {
    qint64 area = 0;
    for (const QRect& rect : region) {
        area += static_cast<qint64>(rect.width()) * rect.height();
    }
    return area;
}

}  // namespace

class ProgressDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlsOfThePage();
    void hiddenControlSteps();
    void barMessage_data();
    void barMessage();
    void eachMessageRepaintsOnlyItsStripsAndPercent();
    void exposeRepaintsBarUpToPercent();
    void missingBarPictureStillCounts();
    void renderBar();

private:
    // What the window does with one progress message: the percent figure, then the bar, then the step.
    void Message(int newPercent);
    void Settle();

    std::unique_ptr<test::FaceWindow> window;
    std::unique_ptr<ProgressDisplay> display;
    ChildPaintRecorder labelPaints;
    ChildPaintRecorder barPaints;
};

void ProgressDisplayTest::init() {
    window = std::make_unique<test::FaceWindow>(3);
    display = std::make_unique<ProgressDisplay>(window.get(), "Upgrading...", "1%");
    QVERIFY(display->LoadBarImage());
    QCOMPARE(display->BarDrawnCount(), 1);
    QCOMPARE(display->BarPercent(), 0);
    display->Bar()->installEventFilter(&barPaints);
    display->StatusLabel()->installEventFilter(&labelPaints);
    display->PercentLabel()->installEventFilter(&labelPaints);
    QVERIFY(test::ShowActive(*window));
    Settle();
}

void ProgressDisplayTest::cleanup() {
    display.reset();
    window.reset();
}

void ProgressDisplayTest::Settle() {
    QCoreApplication::processEvents();
    window->painted.clear();
    labelPaints.painted.clear();
    barPaints.painted.clear();
}

void ProgressDisplayTest::Message(int newPercent) {
    display->ShowMessage(newPercent, QStringLiteral("%1%").arg(newPercent));
    QCoreApplication::processEvents();
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

void ProgressDisplayTest::barMessage_data() {
    QTest::addColumn<int>("drawnCount");
    QTest::addColumn<int>("percentBefore");
    QTest::addColumn<int>("newPercent");
    QTest::addColumn<QRect>("expectPainted");  // the union of the window's paints
    QTest::addColumn<int>("expectCount");
    QTest::addColumn<int>("expectPercent");
    QTest::newRow("first message draws strip 1 only") << 1 << 0 << 1 << QRect(60, 312, 3, 28) << 1 << 1;
    QTest::newRow("10 to 12 draws 10, 11 and 12") << 10 << 10 << 12 << QRect(87, 312, 9, 28) << 12 << 12;
    QTest::newRow("100 back to 1 wipes the bar") << 100 << 100 << 1 << FaceRect(57, 312, 360, 343) << 1 << 1;
    QTest::newRow("a message at 0 wipes down to one strip")
        << 37 << 37 << 0 << FaceRect(57, 312, 171, 343) << 1 << 0;
    QTest::newRow("101 draws up to strip 100, percent 100")
        << 99 << 99 << 101 << QRect(354, 312, 6, 28) << 100 << 100;
}

void ProgressDisplayTest::barMessage() {
    QFETCH(int, drawnCount);
    QFETCH(int, percentBefore);
    QFETCH(int, newPercent);
    QFETCH(QRect, expectPainted);
    QFETCH(int, expectCount);
    QFETCH(int, expectPercent);

    display->SetBarPercent(percentBefore);
    window->repaint();
    display->SetBarDrawnCount(drawnCount);
    Settle();
    const int shown = display->AdvanceBar(newPercent);
    QCoreApplication::processEvents();

    QCOMPARE(Union(window->painted).boundingRect(), expectPainted);
    QVERIFY((Union(barPaints.painted) - QRegion(expectPainted)).isEmpty());
    QCOMPARE(display->BarDrawnCount(), expectCount);
    QCOMPARE(shown, expectPercent);
    QCOMPARE(display->BarPercent(), expectPercent);
    QVERIFY(labelPaints.painted.empty());
}

void ProgressDisplayTest::eachMessageRepaintsOnlyItsStripsAndPercent() {
    // A whole upgrade: the transfer 1..100, the flash phase's reset to 0, the wait 1..100 again.
    std::vector<int> messages;
    for (int p = 1; p <= 100; ++p) {
        messages.push_back(p);
    }
    messages.push_back(0);
    for (int p = 1; p <= 100; ++p) {
        messages.push_back(p);
    }
    int previous = 1;
    for (const int p : messages) {
        Settle();
        Message(p);
        QRegion allowed(kPercentRect);
        if (p < previous) {
            allowed += FaceRect(57, 312, 3 * previous + 60, 343);
        } else {
            allowed += StripsRect(previous, p, 3, 28);
        }
        const QRegion painted =
            Union(window->painted) + Union(labelPaints.painted) + Union(barPaints.painted);
        QVERIFY2((painted - allowed).isEmpty(), qPrintable(QStringLiteral("message %1").arg(p)));
        QVERIFY2(Area(painted) <= Area(allowed), qPrintable(QStringLiteral("message %1").arg(p)));
        QVERIFY2(!window->painted.empty(), qPrintable(QStringLiteral("message %1").arg(p)));
        previous = std::max(p, 1);
    }
    QCOMPARE(display->PercentText(), QString("100%"));
    QCOMPARE(display->ProgressPosition(), 1);  // 201 steps: 100, past the end to 1, 100, past the end to 1
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
