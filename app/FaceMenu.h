// The face's context menu: Minimise, Close, a separator and the About entry (when the string table has
// one), acting on the window that owns it.
#pragma once

#include <QMenu>
#include <memory>

class QWidget;

namespace fwu {

std::unique_ptr<QMenu> CreateFaceMenu(QWidget* window);

}  // namespace fwu
