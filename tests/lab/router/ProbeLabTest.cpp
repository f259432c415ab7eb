// The ICMP probe and the ARP flush against the lab's router: answered, unanswered within its one-second
// wait, only the reply to its own request counting on either ICMP socket kind, and the flush really
// removing the entry without leaving a process behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <thread>

#include "platform/Icmp.h"
#include "platform/ProbeHelper.h"
#include "platform/Process.h"
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

// The real helper, as root here: the router's reply counts, a host that nobody holds stays silent for
// the whole wait, the router network's broadcast address is refused by the system and told as such (no
// request goes out), and the helper is gone afterwards in every case.
TEST(ProbeLab, TheHelperAnswersForTheRouterAlone) {
    const struct {
        std::string address;
        platform::HelperProbe expected;
    } cases[] = {{kRouter, platform::HelperProbe::Answered},
                 {kNobody, platform::HelperProbe::Silent},
                 {"192.168.1.255", platform::HelperProbe::Broadcast}};
    for (const auto& c : cases) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(platform::ProbeThroughHelper(FWU_PROBE_HELPER, c.address, 0x1234, 1000), c.expected)
            << c.address;
        EXPECT_LT(timer.elapsed(), kUnansweredBoundMs + 500) << c.address;
    }
}

// Lets every group open datagram ICMP sockets in the lab's own namespace while it lives (the default
// range admits none), so the probe's unprivileged path can be tried as root.
class DatagramIcmpAllowed {
public:
    DatagramIcmpAllowed() {
        QFile file(kPath);
        if (file.open(QIODevice::ReadOnly)) {
            saved = file.readAll();
        }
        ok = Write("0 2147483647\n");
    }
    ~DatagramIcmpAllowed() {
        if (!saved.isEmpty()) {
            Write(saved);
        }
    }
    bool ok = false;

private:
    static constexpr const char* kPath = "/proc/sys/net/ipv4/ping_group_range";
    static bool Write(const QByteArray& value) {
        QFile file(kPath);
        return file.open(QIODevice::WriteOnly) && file.write(value) == value.size();
    }
    QByteArray saved;
};

// An echo reply as the probe's own would read: this process's identifier, the probe's sequence.
std::array<unsigned char, 8> ForgedReply() {
    std::array<unsigned char, 8> reply =
        BuildEchoRequest(static_cast<std::uint32_t>(platform::CurrentProcessId()));
    reply[0] = 0;  // echo reply
    reply[2] = reply[3] = 0;
    const std::uint16_t checksum = IcmpChecksum(reply.data(), 8);
    reply[2] = static_cast<unsigned char>(checksum & 0xFF);
    reply[3] = static_cast<unsigned char>(checksum >> 8);
    return reply;
}

// Sends that reply from 127.0.0.1 to 127.0.0.1 every 20 ms while it lives: a datagram ICMP socket with
// this identifier is handed each one, whoever it probes.
class ForgedReplies {
public:
    ForgedReplies() : socket(platform::OpenIcmpSocketOfKind(platform::IcmpSocketKind::Raw, 0)) {
        sender = std::thread([this] {
            const auto reply = ForgedReply();
            while (!stop.load()) {
                platform::SendIcmp(socket, kLoopback, reply.data(), reply.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~ForgedReplies() {
        stop.store(true);
        sender.join();
        platform::CloseSocket(socket);
    }
    ForgedReplies(const ForgedReplies&) = delete;
    ForgedReplies& operator=(const ForgedReplies&) = delete;

    static constexpr platform::Ipv4Address kLoopback{127, 0, 0, 1};
    platform::SocketHandle socket;

private:
    std::atomic<bool> stop{false};
    std::thread sender;
};

TEST(ProbeLab, OnlyTheReplyOfTheProbedAddressCountsOnBothSocketKinds) {
    DatagramIcmpAllowed allowed;
    ASSERT_TRUE(allowed.ok);
    const auto identifier = static_cast<std::uint16_t>(platform::CurrentProcessId() & 0xFFFF);
    {
        // The forged reply does reach a datagram socket of this identifier: it would count unless the
        // probe looked at its sender.
        platform::SocketHandle witness =
            platform::OpenIcmpSocketOfKind(platform::IcmpSocketKind::Datagram, identifier);
        ASSERT_NE(witness, platform::kInvalidSocket);
        ForgedReplies forged;
        ASSERT_NE(forged.socket, platform::kInvalidSocket);
        unsigned char got[64];
        platform::Ipv4Address from{};
        EXPECT_GE(platform::ReceiveIcmp(witness, got, sizeof got, 1000, from), 8);
        EXPECT_EQ(from, ForgedReplies::kLoopback);
        platform::CloseSocket(witness);
    }

    struct Case {
        const char* address;
        bool answered;
    };
    const Case cases[] = {
        {kRouter.c_str(), true},     // the router's own reply
        {kNobody.c_str(), false},    // nobody there; only the forged replies come back
        {"0.0.0.0", false},          // the system would answer for itself
        {"127.0.0.1", false},        // so would loopback
        {"255.255.255.255", false},  // never sent to
        {"224.0.0.1", false},        // never sent to
    };
    ForgedReplies forged;
    for (const platform::IcmpSocketKind kind :
         {platform::IcmpSocketKind::Raw, platform::IcmpSocketKind::Datagram}) {
        const char* kindName = kind == platform::IcmpSocketKind::Raw ? "raw" : "datagram";
        for (const Case& c : cases) {
            QElapsedTimer timer;
            timer.start();
            EXPECT_EQ(PingHostOver(kind, c.address, 1000), c.answered) << kindName << " " << c.address;
            EXPECT_LT(timer.elapsed(), kUnansweredBoundMs) << kindName << " " << c.address;
        }
    }
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
