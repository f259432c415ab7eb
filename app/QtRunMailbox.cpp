#include "app/QtRunMailbox.h"

#include <QCoreApplication>
#include <utility>

namespace fwu {
namespace {

class RunEvent final : public QEvent {
public:
    explicit RunEvent(RunMessage message) : QEvent(RunEventType(message.kind)), message(std::move(message)) {}
    RunMessage message;
};

bool IsRunEvent(QEvent::Type type) {
    return IsRunMessageOffset(static_cast<long long>(type) - QEvent::User);
}

}  // namespace

void QtRunMailbox::Post(RunMessage message) {
    QCoreApplication::postEvent(this, new RunEvent(std::move(message)));
}

void QtRunMailbox::customEvent(QEvent* event) {
    if (!IsRunEvent(event->type())) {
        QObject::customEvent(event);
        return;
    }
    if (receiver != nullptr) {
        DeliverRunMessage(static_cast<RunEvent*>(event)->message, *receiver);
    }
}

}  // namespace fwu
