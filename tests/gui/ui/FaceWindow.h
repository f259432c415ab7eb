// A test window painted like the program's face (frame, one content picture, the buttons of a page), with
// a record of every area it repaints, and the place where renderings are saved.
#pragma once

#include <QRegion>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace fwu::test {

class FaceWindow : public QWidget {
public:
    // `page` chooses the content picture and the button sets; -1 paints a plain white face.
    explicit FaceWindow(int page);

    std::vector<QRect> painted;            // every paint of this window, in order
    std::function<void(QPainter&)> extra;  // drawn last (the bar)

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QImage> frame;
    std::optional<QImage> contents;
    std::array<int, 3> sets{};
    int page;
};

// Where a rendering called `name` goes: $FWU_RENDER_DIR (created if missing), else the working folder.
QString RenderPath(const QString& name);

// Shows the window, makes it active and waits until it is exposed; false when that fails.
bool ShowActive(QWidget& window);

}  // namespace fwu::test
