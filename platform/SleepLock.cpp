#include "platform/SleepLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAtomicInteger>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QString>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace fwu::platform {

void SleepLock::Release() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

namespace {

// Each request gets a connection of its own name, so one to a private bus never stands for another.
QString ConnectionName() {
    static QAtomicInteger<int> next = 0;
    return QStringLiteral("fwu-sleep-lock-%1").arg(next.fetchAndAddRelaxed(1));
}

// Errors after which a second request could not fare better: the wait ran out, or nobody serves the name.
bool WorthAnotherTry(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage &&
           reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply") &&
           reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown");
}

std::string Printable(const QString& text) {
    std::string out;
    for (const QChar c : text.left(200)) {
        const char16_t u = c.unicode();
        out += (u >= 0x20 && u < 0x7f) ? static_cast<char>(u) : '?';
    }
    return out;
}

// The remaining part of the wait, at least 1 ms (a call with 0 would take Qt's default time-out).
int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 1));
}

QDBusMessage Inhibit(QDBusConnection& bus, const QString& what,
                     std::chrono::steady_clock::time_point deadline) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << what << QStringLiteral("Firmware Upgrade Utility")
         << QStringLiteral("Firmware upgrade in progress") << QStringLiteral("block");
    return bus.call(call, QDBus::Block, RemainingMs(deadline));
}

SleepLockTaken Ask(QDBusConnection& bus, std::chrono::steady_clock::time_point deadline) {
    SleepLockTaken taken;
    if (!bus.isConnected()) {
        taken.failure = "no system bus (" + Printable(bus.lastError().message()) + ")";
        return taken;
    }
    // The lid switch needs a right of its own, which the login manager may refuse: then sleep alone.
    QDBusMessage reply = Inhibit(bus, QStringLiteral("sleep:handle-lid-switch"), deadline);
    if (WorthAnotherTry(reply) && std::chrono::steady_clock::now() < deadline) {
        reply = Inhibit(bus, QStringLiteral("sleep"), deadline);
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        taken.failure = "the login manager did not give a lock (" + Printable(reply.errorMessage()) + ")";
        return taken;
    }
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.size() != 1 || !arguments[0].canConvert<QDBusUnixFileDescriptor>()) {
        taken.failure = "the login manager answered without a lock";
        return taken;
    }
    const QDBusUnixFileDescriptor given = arguments[0].value<QDBusUnixFileDescriptor>();
    // The message's copy closes with it; the lock keeps one of its own.
    const int fd = given.isValid() ? ::fcntl(given.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
    if (fd < 0) {
        taken.failure = "the login manager answered without a lock";
        return taken;
    }
    taken.lock = SleepLock(fd);
    return taken;
}

// What the request's thread and its caller share: the caller waits for `done` until the deadline; a
// request it gave up on closes its lock itself.
struct PendingLock {
    std::mutex mutex;
    std::condition_variable answered;
    bool connected = false;  // the bus connection is made: a wait beyond it is the login manager's
    bool done = false;
    bool abandoned = false;
    SleepLockTaken taken;
};

void Request(const std::shared_ptr<PendingLock>& pending, const std::string& busAddress,
             std::chrono::steady_clock::time_point deadline) {
    const QString name = ConnectionName();
    SleepLockTaken taken;
    {
        QDBusConnection bus = busAddress.empty()
                                  ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name)
                                  : QDBusConnection::connectToBus(QString::fromStdString(busAddress), name);
        {
            const std::lock_guard<std::mutex> lock(pending->mutex);
            pending->connected = bus.isConnected();
        }
        taken = Ask(bus, deadline);
    }
    QDBusConnection::disconnectFromBus(name);
    const std::lock_guard<std::mutex> lock(pending->mutex);
    if (!pending->abandoned) {
        pending->taken = std::move(taken);
        pending->done = true;
        pending->answered.notify_one();
    }  // else the caller went on without it: the lock closes here
}

}  // namespace

SleepLockTaken TakeSleepLock(const std::string& busAddress, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pending = std::make_shared<PendingLock>();
    try {
        // Detached: a bus that hangs in its handshake keeps the thread, never the caller.
        std::thread([pending, busAddress, deadline] { Request(pending, busAddress, deadline); }).detach();
    } catch (const std::system_error&) {
        return {{}, "no thread to ask for it"};
    }
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->answered.wait_until(lock, deadline, [&pending] { return pending->done; })) {
        pending->abandoned = true;
        const std::string waited = "no answer within " + std::to_string(timeoutMs) + " ms";
        return {{},
                pending->connected ? "the login manager did not give a lock (" + waited + ")"
                                   : "no system bus (" + waited + ")"};
    }
    return std::move(pending->taken);
}

}  // namespace fwu::platform
