// The ICMP probe and the ARP flush against the lab's router: answered, unanswered within its one-second
// wait, and the flush really removing the entry without leaving a process behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "router/Probe.h"
#include "tools/labsupport/RouterSim.h"

namespace fwu {
namespace {

const std::string kRouter = "192.168.1.1";
const std::string kNobody = "192.168.1.77";  // on the router's network, held by no namespace

// Upper bound for an unanswered probe: its one-second wait plus generous scheduling slack.
constexpr qint64 kUnansweredBoundMs = 1500;

struct Timed {
    bool answered;
    qint64 ms;
};

Timed TimedPing(const std::string& address) {
    QElapsedTimer timer;
    timer.start();
    const bool answered = PingHost(address);
    return {answered, timer.elapsed()};
}

TEST(ProbeLab, RouterAnswersAtOnce) {
    const Timed probe = TimedPing(kRouter);
    EXPECT_TRUE(probe.answered);
    EXPECT_LT(probe.ms, 900);
}

TEST(ProbeLab, SilentRouterAndAbsentHostGoUnansweredWithinTheWait) {
    lab::RouterSim sim({"--start-silent", "--restart-ms", "8000"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    for (const std::string& address : {kRouter, kNobody}) {
        const Timed probe = TimedPing(address);
        EXPECT_FALSE(probe.answered) << address;
        EXPECT_GE(probe.ms, 950) << address;  // the whole wait was spent
        EXPECT_LT(probe.ms, kUnansweredBoundMs) << address;
    }
}

TEST(ProbeLab, RouterAnswersAgainWhenItComesBack) {
    lab::RouterSim sim({"--start-silent", "--restart-ms", "1200"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    EXPECT_FALSE(PingHost(kRouter));
    ASSERT_TRUE(sim.WaitForEvent("back", 3000));
    EXPECT_TRUE(PingHost(kRouter));
    EXPECT_TRUE(sim.Stop());
}

// The state of the ARP entry for an address in /proc/net/arp: its flags field, or -1 without one.
int ArpFlags(const std::string& address) {
    QFile file("/proc/net/arp");
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 3 && fields[0] == QByteArray::fromStdString(address)) {
            return fields[2].toInt(nullptr, 16);
        }
    }
    return -1;
}

constexpr int kArpComplete = 0x2;

// Children of this process (running or not yet reaped), read from /proc.
QStringList ChildProcesses() {
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    QStringList children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (entry.toInt() <= 0 || !stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray text = stat.readAll();
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[1] == self) {
            children << entry + " " + QString::fromLatin1(rest[0]);
        }
    }
    return children;
}

TEST(ProbeLab, ArpFlushRemovesTheEntryAndLeavesNoProcessBehind) {
    // A complete entry that no traffic refreshes: the router's own ARP probes could put its entry back
    // at any moment, this one only the flush can take away.
    const QStringList add{
        "neigh", "replace",  QString::fromStdString(kNobody), "lladdr", "02:00:00:00:00:77", "dev", "eth0",
        "nud",   "reachable"};
    ASSERT_EQ(QProcess::execute("ip", add), 0);
    ASSERT_EQ(ArpFlags(kNobody) & kArpComplete, kArpComplete);

    FlushArpEntry(kNobody);
    FlushArpEntry(kNobody);
    QElapsedTimer timer;
    timer.start();
    while (ArpFlags(kNobody) != -1 || !ChildProcesses().isEmpty()) {
        ASSERT_LT(timer.elapsed(), 3000) << "left: arp flags " << ArpFlags(kNobody) << ", children "
                                         << ChildProcesses().join(", ").toStdString();
        QThread::msleep(20);
    }
}

}  // namespace
}  // namespace fwu
