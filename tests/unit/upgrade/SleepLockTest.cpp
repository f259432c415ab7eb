// Suspend held off during a run, against a stand-in login manager on a bus of the test's own (a
// dbus-daemon on a socket in a temporary folder): the lock is asked for when the transfer starts and its
// file descriptor closed when the run no longer needs it. No case reaches the machine's own buses.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/upgrade/FakeLogindBus.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/UpgradeRun.h"

namespace fwu {
namespace {

using testing::FakeLogind;

struct Steps final : UpgradeStepServices {
    std::string bus;
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
    platform::SleepLockTaken HoldOffSleep() override { return platform::TakeSleepLock(bus, 1500); }
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
        EXPECT_EQ(logind.NextLine(),
                  "inhibit sleep|Firmware Upgrade Utility|Firmware upgrade in progress|block");
        EXPECT_TRUE(logind.Quiet()) << "released while the transfer runs";
        c.upload(run, *steps.mailbox);
        if (run.Watching()) {
            EXPECT_TRUE(logind.Quiet()) << "released before the watch ended";
        }
        c.watch(run);
        EXPECT_EQ(logind.NextLine(), "released " + std::to_string(++given));
    }
}

TEST(SleepLock, NoLoginManagerLogsOneLineAndTheUploadGoesOn) {
    Application();
    QTemporaryDir dir;
    FakeLogind busOnly;  // a bus where nobody owns the login manager's name
    busOnly.logind.kill();
    busOnly.logind.waitForFinished(5000);
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
        StartRun(run);
        EXPECT_EQ(steps.starts, 1);
        EXPECT_TRUE(run.Busy());
        const std::vector<std::string> lines = SleepLines(path);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(c.line, 0), 0u) << lines[0];
    }
}

}  // namespace
}  // namespace fwu
