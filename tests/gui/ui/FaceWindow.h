// A test window painted like the program's face (frame, one content picture, the buttons of a page), and
// the place where renderings are saved.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

namespace fwu::test {

class FaceWindow : public QWidget {
public:
    // `page` chooses the content picture and the button sets; -1 paints a plain white face.
    explicit FaceWindow(int page);

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
