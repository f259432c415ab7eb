// Suspend held off during a run, against a stand-in login manager on a bus of the test's own (a
// dbus-daemon on a socket in a temporary folder): the lock is asked for when the transfer starts, off the
// run's thread, and its file descriptor closed when the run no longer needs it; a login manager or a bus
// that never answers holds nobody beyond the request's bound. No case reaches the machine's own buses.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/unit/upgrade/FakeLogindBus.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/UpgradeRun.h"

namespace fwu {
namespace {

using testing::FakeLogind;

constexpr int kBoundMs = 1500;
const std::string kLockLine =
    "inhibit sleep:handle-lid-switch|Firmware Upgrade Utility|Firmware upgrade in progress|block";

long MsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count());
}

struct Steps final : UpgradeStepServices {
    std::string bus;
    std::atomic<bool> answered{false};  // HoldOffSleep returned (on the request's thread)
    std::atomic<bool> onOtherThread{false};
    std::thread::id runThread = std::this_thread::get_id();
    int starts = 0;
    UploadWindow* mailbox = nullptr;
    RouterCheckResult CheckRouter(const RouterAddress&, const std::string&) override {
        return {true, "v2.00.22"};
    }
    bool CarriedImageIntact() override { return true; }
    bool StartUploadJob(const UploadTarget&, UploadWindow& window) override {
        mailbox = &window;
        return ++starts, true;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
    bool UploadStoppable() override { return true; }
    void StopUpload() override {}
    platform::SleepLockTaken HoldOffSleep() override {
        onOtherThread = std::this_thread::get_id() != runThread;
        platform::SleepLockTaken taken = platform::TakeSleepLock(bus, kBoundMs);
        answered = true;
        return taken;
    }
    // Hands the request's answer to the run, as the run's loop would once it is posted.
    bool DeliverAnswer(QueuedRunMailbox& mailbox, UpgradeRun& run) {
        const auto start = std::chrono::steady_clock::now();
        while (!answered && MsSince(start) < 3 * kBoundMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (answered) {  // the post follows the return
            mailbox.DeliverFor(run.Receiver(), std::chrono::milliseconds(500));
        }
        return answered;
    }
    // A router that stays silent after its restart: the watch runs until it is ended.
    ConfirmationWatchServices WatchServices() override {
        ConfirmationWatchServices watch;
        watch.probe = [](const std::string&) { return false; };
        watch.readVersion = [](const std::string&, const std::string&, const std::function<bool()>&) {
            return std::optional<std::string>();
        };
        return watch;
    }
};

struct View final : UpgradeRunView {
    void OnUploadEnded(const UploadVerdict&) override {}
    bool ConfirmDowngrade(const std::string&, const std::string&) override { return true; }
    bool ConfirmStop() override { return true; }
};

// The check and the start, as a front end drives them.
void StartRun(UpgradeRun& run) {
    run.Check(RouterAddress::Split("192.168.1.1"), "rodel");
    run.Start();
}

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "unit_sleep_lock";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

std::vector<std::string> SleepLines(const QString& path) {
    QFile file(path);
    std::vector<std::string> lines;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (const qsizetype at = line.indexOf(" sleep"); at >= 0) {
                lines.push_back(line.mid(at + 1).toStdString());
            }
        }
    }
    return lines;
}

TEST(SleepLock, HeldFromTheTransferUntilTheRunEnds) {
    Application();
    FakeLogind logind;
    ASSERT_TRUE(logind.ready) << "dbus-daemon or the stand-in login manager did not start";
    UploadVerdict stopped;
    stopped.outcome = UploadOutcome::Stopped;
    UploadVerdict done;
    done.result = 1;
    const auto nothing = [](UpgradeRun&) {};
    struct Case {
        const char* name;
        std::function<void(UpgradeRun&, UploadWindow&)> upload;  // how the transfer ends
        std::function<void(UpgradeRun&)> watch;  // the watch after the restart ends (the lock still held)
    };
    QueuedRunMailbox* queue = nullptr;  // the present case's mailbox and run
    UpgradeRun* current = nullptr;
    const auto post = [&](UploadWindow& mailbox, const UploadVerdict& verdict) {
        mailbox.PostUpgradeVerdict(verdict);
        queue->DeliverFor(current->Receiver(), std::chrono::milliseconds(0));
    };
    const Case cases[] = {
        {"the watch ends", [&](UpgradeRun&, UploadWindow& m) { post(m, done); },
         [](UpgradeRun& r) { r.EndWatch(); }},
        {"the upload fails", [&](UpgradeRun&, UploadWindow& m) { post(m, UploadVerdict{}); }, nothing},
        {"the user stops", [&](UpgradeRun& r, UploadWindow& m) { r.Stop(), post(m, stopped); }, nothing},
    };
    int given = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Steps steps;
        steps.bus = logind.address;
        View view;
        QueuedRunMailbox mailbox;
        UpgradeRun run(steps, view, "v2.00.22", mailbox);
        queue = &mailbox;
        current = &run;
        StartRun(run);
        ASSERT_EQ(steps.starts, 1);
        EXPECT_EQ(logind.NextLine(), kLockLine);
        ASSERT_TRUE(steps.DeliverAnswer(mailbox, run));
        EXPECT_TRUE(steps.onOtherThread) << "asked on the run's thread";
        EXPECT_TRUE(logind.Quiet()) << "released while the transfer runs";
        c.upload(run, *steps.mailbox);
        if (run.Watching()) {
            EXPECT_TRUE(logind.Quiet()) << "released before the watch ended";
        }
        c.watch(run);
        EXPECT_EQ(logind.NextLine(), "released " + std::to_string(++given));
    }
}

// A listening socket that never takes the connection: a bus that hangs in its handshake.
struct HungBus {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::string address;
    explicit HungBus(const QString& path) {
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        const QByteArray bytes = path.toLocal8Bit();
        std::memcpy(where.sun_path, bytes.constData(), std::min<std::size_t>(bytes.size(), 100));
        if (bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 && listen(fd, 4) == 0) {
            address = "unix:path=" + bytes.toStdString();
        }
    }
    ~HungBus() { close(fd); }
};

// Whatever the bus does, the run's start is not held up, the log gets one line within the bound and the
// upload goes on.
TEST(SleepLock, NoLoginManagerLogsOneLineAndTheUploadGoesOn) {
    Application();
    QTemporaryDir dir;
    FakeLogind busOnly;  // a bus where nobody owns the login manager's name
    busOnly.logind.kill();
    busOnly.logind.waitForFinished(5000);
    FakeLogind silent(QStringLiteral("silent"));
    ASSERT_TRUE(silent.ready);
    HungBus hung(dir.filePath("hung"));
    ASSERT_FALSE(hung.address.empty());
    struct Case {
        const char* name;
        std::string bus;
        const char* line;
    };
    const Case cases[] = {
        {"no bus", "unix:path=" + dir.filePath("none").toStdString(),
         "sleep: suspend not held off, the upgrade goes on: no system bus ("},
        {"no login manager", busOnly.address,
         "sleep: suspend not held off, the upgrade goes on: the login manager did not give a lock ("},
        {"a login manager that never answers", silent.address,
         "sleep: suspend not held off, the upgrade goes on: the login manager did not give a lock ("},
        // Last: the hung connection keeps the process's bus thread for a while.
        {"a bus that never answers", hung.address,
         "sleep: suspend not held off, the upgrade goes on: no system bus (no answer within 1500 ms)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + ".log");
        AttemptLog log(path.toStdString());
        Steps steps;
        steps.bus = c.bus;
        View view;
        QueuedRunMailbox mailbox;
        UpgradeRun run(steps, view, "v2.00.22", mailbox);
        run.SetAttemptLog(&log);
        run.Check(RouterAddress::Split("192.168.1.1"), "rodel");
        const auto start = std::chrono::steady_clock::now();
        run.Start();
        EXPECT_LT(MsSince(start), 300) << "the start waited for the bus";
        EXPECT_EQ(steps.starts, 1);
        EXPECT_TRUE(run.Busy());
        ASSERT_TRUE(steps.DeliverAnswer(mailbox, run));
        EXPECT_LT(MsSince(start), kBoundMs + 400) << "the request overran its bound";
        const std::vector<std::string> lines = SleepLines(path);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(c.line, 0), 0u) << lines[0];
    }
}

// The lid switch is asked for with sleep; where the login manager refuses it, sleep alone is.
TEST(SleepLock, SleepAloneWhereTheLidSwitchIsRefused) {
    Application();
    const struct {
        const char* mode;
        std::vector<std::string> asked;
    } cases[] = {
        {"", {kLockLine}},
        {"refuse-lid",
         {kLockLine, "inhibit sleep|Firmware Upgrade Utility|Firmware upgrade in progress|block"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        FakeLogind logind{QString::fromLatin1(c.mode)};
        ASSERT_TRUE(logind.ready);
        platform::SleepLockTaken taken = platform::TakeSleepLock(logind.address, kBoundMs);
        EXPECT_TRUE(taken.lock.Held()) << taken.failure;
        for (const std::string& line : c.asked) {
            EXPECT_EQ(logind.NextLine(), line);
        }
        taken.lock.Release();
        EXPECT_EQ(logind.NextLine(), "released 1");
    }
}

}  // namespace
}  // namespace fwu
