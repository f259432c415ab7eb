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
#include "upgrade/UpgradeSequence.h"

namespace fwu {
namespace {

using testing::FakeLogind;

struct Steps final : UpgradeStepServices {
    std::string bus;
    int starts = 0;
    RouterCheckResult CheckRouter(const RouterAddress&, const std::string&) override {
        return {true, "v2.00.22"};
    }
    bool CarriedImageIntact() override { return true; }
    bool StartUploadJob(const UploadRequest&, UploadWindow&) override { return ++starts, true; }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
    bool UploadStoppable() override { return true; }
    void StopUpload() override {}
    platform::SleepLockTaken HoldOffSleep() override { return platform::TakeSleepLock(bus, 1500); }
};

struct FrontEnd final : UpgradeFrontEnd {
    void BeginPageChange() override {}
    void LeavePage(PageNumber) override {}
    void EnterPage(PageNumber) override {}
    void EndPageChange() override {}
    std::optional<TypedLogin> ReadLogin() override { return TypedLogin{"rodel", {"192", "168", "1", "1"}}; }
    void CheckStarted() override {}
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override {
        return check();
    }
    void CheckEnded() override {}
    int ShowProgress(int percent) override { return percent; }
    void SetShownPercent(int) override {}
    bool AskYesNo(int) override { return true; }
    void ShowError(int) override {}
    void Pause(int) override {}
    void EndRun() override {}
};

struct NoWindow final : UploadWindow {
    void PostUpgradeProgress(int) override {}
    void ResetPercent() override {}
    void SetStatusText(int, int) override {}
    void PostUpgradeDone(unsigned) override {}
};

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
    const auto nothing = [](UpgradeSequence&) {};
    struct Case {
        const char* name;
        std::function<void(UpgradeSequence&)> upload;  // how the transfer ends
        std::function<void(UpgradeSequence&)> watch;   // the success page's watch ends (the lock still held)
    };
    const Case cases[] = {
        {"the watch ends", [&](UpgradeSequence& s) { s.OnDone(done); },
         [](UpgradeSequence& s) { s.ReleaseSleepLock(); }},
        {"the upload fails", [](UpgradeSequence& s) { s.OnDone(UploadVerdict{}); }, nothing},
        {"the user stops", [&](UpgradeSequence& s) { s.ConfirmStop(), s.OnDone(stopped); }, nothing},
    };
    int given = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Steps steps;
        steps.bus = logind.address;
        FrontEnd front;
        NoWindow window;
        UpgradeSequence sequence(steps, front, window, "192.168.1.1", "v2.00.22");
        for (int press = 0; press < 3; ++press) {
            sequence.Forward();
        }
        ASSERT_EQ(steps.starts, 1);
        EXPECT_EQ(logind.NextLine(),
                  "inhibit sleep|Firmware Upgrade Utility|Firmware upgrade in progress|block");
        EXPECT_TRUE(logind.Quiet()) << "released while the transfer runs";
        c.upload(sequence);
        if (sequence.Page() == PAGE_DONE) {
            EXPECT_TRUE(logind.Quiet()) << "released before the watch ended";
        }
        c.watch(sequence);
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
        FrontEnd front;
        NoWindow window;
        UpgradeSequence sequence(steps, front, window, "192.168.1.1", "v2.00.22");
        sequence.SetAttemptLog(&log);
        for (int press = 0; press < 3; ++press) {
            sequence.Forward();
        }
        EXPECT_EQ(steps.starts, 1);
        EXPECT_TRUE(sequence.Busy());
        const std::vector<std::string> lines = SleepLines(path);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(c.line, 0), 0u) << lines[0];
    }
}

}  // namespace
}  // namespace fwu
