// A stand-in for the login manager on a private bus: owns org.freedesktop.login1, answers Inhibit with
// the write end of a pipe and tells on standard output what it was asked and when that end was closed:
//   ready
//   inhibit <what>|<who>|<why>|<mode>
//   released <n>          (the n-th lock given, counted from 1)
// Usage: fwu-fake-logind <bus address> [refuse-lid | silent]
//   refuse-lid: a request that names handle-lid-switch is refused as not allowed (after its line);
//   silent: no request is ever answered (after its line).
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <cstdio>
#include <utility>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

class Manager final : public QDBusVirtualObject {
public:
    explicit Manager(QString mode) : mode(std::move(mode)) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String("org.freedesktop.login1.Manager") ||
            message.member() != QLatin1String("Inhibit")) {
            return false;
        }
        QStringList words;
        for (const QVariant& argument : message.arguments()) {
            words << argument.toString();
        }
        Say(QStringLiteral("inhibit ") + words.join(QLatin1Char('|')));
        if (mode == QLatin1String("silent")) {
            return true;  // handled, and never answered
        }
        if (mode == QLatin1String("refuse-lid") &&
            words.value(0).contains(QLatin1String("handle-lid-switch"))) {
            connection.send(
                message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("not allowed")));
            return true;
        }
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            connection.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("no pipe")));
            return true;
        }
        const int number = ++given;
        auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, number, fd = ends[0]] {
            char byte;
            if (::read(fd, &byte, 1) <= 0) {  // every copy of the write end is closed
                notifier->setEnabled(false);
                ::close(fd);
                Say(QStringLiteral("released %1").arg(number));
            }
        });
        connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
        ::close(ends[1]);  // the reply holds its own copy until it is sent
        return true;
    }

private:
    QString mode;
    int given = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: fwu-fake-logind <bus address> [refuse-lid | silent]\n");
        return 2;
    }
    QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("logind"));
    Manager manager(argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (!bus.isConnected() ||
        !bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &manager) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fprintf(stderr, "fwu-fake-logind: %s\n", bus.lastError().message().toUtf8().constData());
        return 1;
    }
    Say(QStringLiteral("ready"));
    return application.exec();
}
