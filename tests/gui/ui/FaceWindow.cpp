#include "FaceWindow.h"

#include <QDir>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include "ui/ImageButtons.h"
#include "ui/SkinImage.h"

namespace fwu::test {

FaceWindow::FaceWindow(int facePage) : page(facePage) {
    resize(571, 431);
    if (page >= 0) {
        frame = LoadSkinImage(kFrameImageId, kFrameType);
        contents = LoadSkinImage(ContentImageId(page), kContentsType);
        sets = ButtonSetsForPage(page, kInitialButtonSets);
    }
}

void FaceWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (page >= 0) {
        DrawSkinImage(frame, painter, 0, 0);
        DrawSkinImage(contents, painter, kContentOrigin.x(), kContentOrigin.y());
        for (const FaceSlot slot : kFaceSlots) {
            DrawButton(painter, slot, sets, false);
        }
    }
    if (extra) {
        extra(painter);
    }
}

QString RenderPath(const QString& name) {
    QString dir = qEnvironmentVariable("FWU_RENDER_DIR");
    if (dir.isEmpty()) {
        dir = QDir::currentPath();
    }
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window) && QTest::qWaitForWindowExposed(&window);
}

}  // namespace fwu::test
