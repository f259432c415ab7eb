// A blocking step on a short-lived thread, with the window thread's events processed until it ends.
#include "app/WindowThreadWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <atomic>
#include <system_error>
#include <thread>

namespace fwu {

bool RunWhileProcessingEvents(const std::function<void()>& step) {
    std::atomic<bool> finished{false};
    QEventLoop loop;
    std::thread thread;
    try {
        thread = std::thread([&] {
            step();
            finished.store(true, std::memory_order_release);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        return false;
    }
    loop.exec();
    // The loop also returns at once when the application was told to quit; the step still has to end
    // before its results are read, so keep the events flowing until it has.
    while (!finished.load(std::memory_order_acquire)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    thread.join();
    return true;
}

InputHold::InputHold(QWidget* window) : window(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == window;
}

}  // namespace fwu
