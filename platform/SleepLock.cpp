#include "platform/SleepLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAtomicInteger>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QString>

namespace fwu::platform {

SleepLock& SleepLock::operator=(SleepLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd = other.fd;
        other.fd = -1;
    }
    return *this;
}

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

std::string Printable(const QString& text) {
    std::string out;
    for (const QChar c : text.left(200)) {
        const char16_t u = c.unicode();
        out += (u >= 0x20 && u < 0x7f) ? static_cast<char>(u) : '?';
    }
    return out;
}

SleepLockTaken Ask(QDBusConnection& bus, int timeoutMs) {
    SleepLockTaken taken;
    if (!bus.isConnected()) {
        taken.failure = "no system bus (" + Printable(bus.lastError().message()) + ")";
        return taken;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Firmware Upgrade Utility")
         << QStringLiteral("Firmware upgrade in progress") << QStringLiteral("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
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

}  // namespace

SleepLockTaken TakeSleepLock(const std::string& busAddress, int timeoutMs) {
    const QString name = ConnectionName();
    SleepLockTaken taken;
    {
        QDBusConnection bus = busAddress.empty()
                                  ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name)
                                  : QDBusConnection::connectToBus(QString::fromStdString(busAddress), name);
        taken = Ask(bus, timeoutMs);
    }
    QDBusConnection::disconnectFromBus(name);
    return taken;
}

}  // namespace fwu::platform
