// Every ending of the headless run with fake router steps: a signal at each stage (the pipe's password,
// the check, the question, the transfer, the flash wait, the watch), a refused password line, another copy,
// a usage error after --json. The JSON lines start with "start" and end with the one "result", whose exit,
// verdict, image_sent and cause say what happened; the router got the image only where it should.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <thread>

#include "cli/HeadlessRun.h"
#include "cli/RunWithoutWindow.h"
#include "cli/TerminalWords.h"

namespace fwu::cli {
namespace {

using platform::StopSignal;

// Where the fake router stands; the test's signal is sent once the run has reached its case's stage.
enum class Stage { PasswordWait, Check, Question, Sending, Flashing, Watching, Never };

class FakeRouter final : public UpgradeServices {
public:
    std::string routerVersion = "v2.00.20";
    std::atomic<Stage> stage{Stage::PasswordWait};
    bool holdCheck = false;  // the check waits until Release
    int starts = 0;

    std::string FindDefaultGateway(const std::function<void(const std::string&)>&) override {
        return "192.168.1.1";
    }
    FirmwareInfo LoadFirmwareInfo() override {
        FirmwareInfo info;
        info.model = "WR-54";
        info.utilityVersion = "v2.00.22";
        return info;
    }
    RouterCheckResult CheckRouter(const RouterAddress&, const std::string&) override {
        stage = Stage::Check;
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return !holdCheck; });
        return {true, routerVersion};
    }
    void Release() {
        const std::lock_guard lock(mutex);
        holdCheck = false;
        released.notify_all();
    }
    bool CarriedImageIntact() override { return true; }
    bool StartUploadJob(const UploadTarget&, UploadWindow& window) override {
        ++starts;
        mailbox = &window;
        stage = Stage::Sending;
        window.PostUpgradeProgress({40, 4000});
        return true;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
    bool UploadStoppable() override { return stage == Stage::Sending; }
    void StopUpload() override {
        UploadVerdict stopped;
        stopped.outcome = UploadOutcome::Stopped;
        stopped.percent = 40;
        mailbox->PostUpgradeVerdict(stopped);
    }
    // Called by the run's loop: the transfer goes on one step per look.
    void Step() {
        if (stage == Stage::Sending && stopAt != Stage::Sending) {
            stage = Stage::Flashing;
            mailbox->ResetPercent(10'000);
        } else if (stage == Stage::Flashing && ++flashLooks > 3) {
            stage = Stage::Never;  // the watch's first probe says Watching
            mailbox->PostUpgradeVerdict(VerdictOfResult(1));
        }
    }
    ConfirmationWatchServices WatchServices() override {
        ConfirmationWatchServices watch;
        watch.probe = [this](const std::string&) {
            stage = Stage::Watching;
            return stopAt != Stage::Watching;
        };
        watch.readVersion = [](const std::string&, const std::string&, const std::function<bool()>&) {
            return std::optional<std::string>("v2.00.22");
        };
        watch.nowMs = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        return watch;
    }

    Stage stopAt = Stage::Never;

private:
    UploadWindow* mailbox = nullptr;
    int flashLooks = 0;
    std::mutex mutex;
    std::condition_variable released;
};

struct Lines {
    std::vector<QJsonObject> objects;
    std::string text;
};

Lines ParseLines(const std::string& text) {
    Lines lines{{}, text};
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.objects.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    }
    return lines;
}

// "start" first, "result" last, each once.
void ExpectStartAndResult(const Lines& lines) {
    ASSERT_GE(lines.objects.size(), 2u) << lines.text;
    EXPECT_EQ(lines.objects.front()["event"].toString(), "start") << lines.text;
    EXPECT_EQ(lines.objects.back()["event"].toString(), "result") << lines.text;
    int starts = 0, results = 0;
    for (const QJsonObject& object : lines.objects) {
        starts += object["event"].toString() == "start";
        results += object["event"].toString() == "result";
    }
    EXPECT_EQ(starts, 1) << lines.text;
    EXPECT_EQ(results, 1) << lines.text;
}

TEST(HeadlessRun, EveryEndingStartsAndEndsItsLines) {
    struct Case {
        const char* name;
        Stage stopAt;
        StopSignal signal;
        bool passwordFromPipe;
        bool refusedPassword;
        bool anotherCopy;
        const char* routerVersion;  // "v2.00.30" asks the downgrade question on the terminal
        int exit;
        const char* verdict;
        bool imageSent;
        int starts;         // upload jobs started
        const char* cause;  // the start of the result's cause
    };
    const Case cases[] = {
        {"upgraded", Stage::Never, StopSignal::None, false, false, false, "v2.00.20", 0, "upgraded", true, 1,
         ""},
        {"signal while the pipe's password is awaited", Stage::PasswordWait, StopSignal::Terminate, true,
         false, false, "v2.00.20", 143, "stopped", false, 0,
         "the upgrade was stopped before the router check"},
        {"refused password line", Stage::Never, StopSignal::None, true, true, false, "v2.00.20", 2, "usage",
         false, 0, "--password-stdin: standard input holds no password line"},
        {"another copy runs", Stage::Never, StopSignal::None, false, false, true, "v2.00.20", 6,
         "already-running", false, 0, "only one copy runs per user"},
        {"Ctrl-C during the check", Stage::Check, StopSignal::Interrupt, false, false, false, "v2.00.20", 130,
         "stopped", false, 0, "the upgrade was stopped during the router check; nothing was sent"},
        {"SIGHUP at the downgrade question", Stage::Question, StopSignal::Hangup, false, false, false,
         "v2.00.30", 143, "stopped", false, 0, "the upgrade was stopped at the downgrade question; nothing"},
        {"SIGTERM while sending", Stage::Sending, StopSignal::Terminate, false, false, false, "v2.00.20", 143,
         "stopped", false, 1, "the upgrade was stopped; the router keeps its current firmware"},
        {"Ctrl-C in the flash wait is refused", Stage::Flashing, StopSignal::Interrupt, false, false, false,
         "v2.00.20", 0, "upgraded", true, 1, ""},
        {"SIGHUP during the watch", Stage::Watching, StopSignal::Hangup, false, false, false, "v2.00.20", 143,
         "stopped", true, 1, "the upgrade was stopped after the router took the image and restarted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouter router;
        router.routerVersion = c.routerVersion;
        router.stopAt = c.stopAt;
        router.holdCheck = c.stopAt == Stage::Check;
        if (!c.passwordFromPipe) {
            router.stage = Stage::Never;
        }
        std::ostringstream out, err;
        std::istringstream answers("");
        bool signalSent = false;
        CliOptions options;
        options.address = "192.168.1.1";
        options.json = true;
        options.passwordFromStdin = c.passwordFromPipe;
        HeadlessParts parts{
            .services = router,
            .answers = answers,
            .out = out,
            .err = err,
            .inputIsTerminal = std::string_view(c.routerVersion) == "v2.00.30",
            .outputIsTerminal = false,
            .now = [] { return CliReporter::Milliseconds(1000); },
            .claimOneCopy = [&] { return !c.anotherCopy; },
            .noteSetUp = {},
            .readPassword =
                [&](const std::function<bool()>& lineArrives) {
                    PasswordLine line;
                    if (!lineArrives()) {
                        line.stopped = true;
                        return line;
                    }
                    line.ok = !c.refusedPassword;
                    line.password = "rodel";
                    line.error =
                        c.refusedPassword ? "--password-stdin: standard input holds no password line" : "";
                    return line;
                },
            .inputReady =
                [&](int) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    return c.stopAt != Stage::PasswordWait && c.stopAt != Stage::Question;
                },
            .takeStop =
                [&] {
                    const bool asked = err.str().find("[y/N]") != std::string::npos;
                    const Stage now = asked ? Stage::Question : router.stage.load();
                    if (signalSent || c.signal == StopSignal::None || now != c.stopAt) {
                        return StopSignal::None;
                    }
                    signalSent = true;
                    return c.signal;
                },
            .afterLook = [&] { router.Step(); },
        };
        int exit = -1;
        {
            HeadlessRun run(options, parts);
            exit = run.Run();
            EXPECT_EQ(run.CheckLeftRunning(), c.stopAt == Stage::Check);
            router.Release();
        }
        EXPECT_EQ(exit, c.exit) << out.str() << err.str();
        EXPECT_EQ(signalSent, c.signal != StopSignal::None);
        EXPECT_EQ(router.starts, c.starts);
        const Lines lines = ParseLines(out.str());
        ExpectStartAndResult(lines);
        if (lines.objects.empty()) {
            continue;
        }
        const QJsonObject& result = lines.objects.back();
        EXPECT_EQ(result["exit"].toInt(-1), c.exit);
        EXPECT_EQ(result["verdict"].toString().toStdString(), c.verdict);
        EXPECT_EQ(result["image_sent"].toBool(!c.imageSent), c.imageSent);
        EXPECT_EQ(result["address"].toString(), "192.168.1.1");
        EXPECT_TRUE(result["cause"].toString().toStdString().starts_with(c.cause)) << lines.text;
        if (c.stopAt == Stage::Flashing) {
            EXPECT_NE(err.str().find(StopRefusedWords()), std::string::npos) << err.str();
        }
        if (*c.cause != '\0') {
            EXPECT_NE(err.str().find(std::string("firmware-upgrade-utility: ") + c.cause), std::string::npos)
                << err.str();
        }
    }
}

// A refused command line that asked for --cli --json before the refusal writes the two lines too (the
// address if it was read); one refused before --json was read writes nothing on standard output.
TEST(HeadlessRun, UsageErrorAfterJsonWritesItsLines) {
    const struct {
        std::vector<std::string_view> arguments;
        bool lines;
        const char* address;
        const char* cause;
    } cases[] = {
        {{"--cli", "--json", "--bogus"}, true, "", "unknown option --bogus"},
        {{"--cli", "--address", "10.0.0.1", "--json", "--password=x"},
         true,
         "10.0.0.1",
         "--password: a password"},
        {{"--cli", "--json", "--check", "--skip-current"}, true, "", "--check and --skip-current exclude"},
        {{"--cli", "--bogus", "--json"}, false, "", ""},
        {{"--json", "--bogus", "--cli"}, false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.size());
        std::ostringstream out, err;
        const CommandLine command = ParseCommandLine(std::span<const std::string_view>(c.arguments));
        EXPECT_EQ(RunWithoutWindow(command, out, err), 2);
        EXPECT_TRUE(err.str().starts_with("firmware-upgrade-utility: ")) << err.str();
        if (!c.lines) {
            EXPECT_EQ(out.str(), "");
            continue;
        }
        const Lines lines = ParseLines(out.str());
        ExpectStartAndResult(lines);
        ASSERT_EQ(lines.objects.size(), 2u);
        EXPECT_EQ(lines.objects[0]["address"].toString().toStdString(), c.address);
        EXPECT_EQ(lines.objects[1]["verdict"].toString(), "usage");
        EXPECT_EQ(lines.objects[1]["exit"].toInt(), 2);
        EXPECT_FALSE(lines.objects[1]["image_sent"].toBool(true));
        EXPECT_TRUE(lines.objects[1]["cause"].toString().toStdString().starts_with(c.cause)) << lines.text;
    }
}

}  // namespace
}  // namespace fwu::cli
