// The face's context menu and its About box.
#include "app/FaceMenu.h"

#include <QWidget>

#include "app/AboutDlg.h"
#include "res/StringTable.h"
#include "ui/Latin1.h"

namespace fwu {

std::unique_ptr<QMenu> CreateFaceMenu(QWidget* window) {
    auto menu = std::make_unique<QMenu>(window);
    menu->addAction(QStringLiteral("Mi&nimise"), window, [window] { window->showMinimized(); });
    menu->addAction(QStringLiteral("&Close"), window, [window] { window->close(); });
    const std::string_view about = LoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
        menu->addSeparator();
        menu->addAction(Latin1(about), window, [window] {
            CAboutDlg box(window);
            box.exec();
        });
    }
    return menu;
}

}  // namespace fwu
