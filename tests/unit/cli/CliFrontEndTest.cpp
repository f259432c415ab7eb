// The terminal front end driving the window's upgrade sequence with fake router steps: which exit status
// each ending gets, when the downgrade question is asked, answered or refused, and that nothing is started
// when it is refused; the typed answer's reading and the error's exit status.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "cli/CliFrontEnd.h"
#include "res/StringTable.h"

namespace fwu::cli {
namespace {

class NoWindow final : public UploadWindow {
public:
    void PostUpgradeProgress(int) override {}
    void ResetPercent() override {}
    void SetStatusText(int, int) override {}
    void PostUpgradeDone(unsigned) override {}
};

class FakeSteps final : public UpgradeStepServices {
public:
    RouterCheckResult check;
    bool intact = true;
    bool starts = true;
    std::string checkedAddress, checkedPassword;
    std::optional<UploadRequest> started;

    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) override {
        checkedAddress = address.Dotted();
        checkedPassword = password;
        return check;
    }
    bool CarriedImageIntact() override { return intact; }
    bool StartUploadJob(const UploadRequest& request, UploadWindow&) override {
        started = request;
        return starts;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
};

struct Case {
    const char* name;
    bool routerPasses;
    const char* routerVersion;  // the carried image is v2.00.22
    bool intact;
    const char* password;  // --password-stdin; nullptr without
    bool assumeYes, terminal;
    const char* typed;  // what the terminal gives the question
    bool starts;        // StartUploadJob starts a worker
    int workerResult;   // posted by the worker; -1 when none runs
    ExitCode expected;
    bool uploadStarted;
};

TEST(CliFrontEnd, DrivesTheSequenceToEachEnding) {
    const Case cases[] = {
        {"older router, upgraded", true, "v2.00.20", true, nullptr, false, false, "", true, 1,
         ExitCode::Success, true},
        {"worker fails", true, "v2.00.20", true, nullptr, false, false, "", true, 0, ExitCode::UpgradeFailed,
         true},
        {"not started", true, "v2.00.20", true, nullptr, false, false, "", false, -1, ExitCode::UpgradeFailed,
         true},
        {"check fails", false, "v2.00.20", true, "secret", false, false, "", true, -1,
         ExitCode::RouterCheckFailed, false},
        {"image damaged", true, "v2.00.20", false, nullptr, true, true, "", true, -1, ExitCode::ImageDamaged,
         false},
        {"newer, --yes", true, "v2.00.30", true, "secret", true, false, "", true, 1, ExitCode::Success, true},
        {"newer, no terminal", true, "v2.00.30", true, nullptr, false, false, "y\n", true, -1,
         ExitCode::DowngradeDeclined, false},
        {"newer, typed yes", true, "v2.00.30", true, nullptr, false, true, " Yes\n", true, 1,
         ExitCode::Success, true},
        {"newer, Enter", true, "v2.00.30", true, nullptr, false, true, "\n", true, -1,
         ExitCode::DowngradeDeclined, false},
        {"newer, input ends", true, "v2.00.30", true, nullptr, false, true, "", true, -1,
         ExitCode::DowngradeDeclined, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSteps steps;
        steps.check = RouterCheckResult{c.routerPasses, std::string(c.routerVersion)};
        steps.intact = c.intact;
        steps.starts = c.starts;
        std::ostringstream out, questions;
        std::istringstream answers(c.typed);
        CliReporter reporter(out, ReportStyle::Plain);
        const std::optional<std::string> password =
            c.password != nullptr ? std::optional<std::string>(c.password) : std::nullopt;
        CliFrontEnd::Settings settings{password, c.assumeYes, c.terminal, {}};
        CliFrontEnd frontEnd(reporter, questions, answers, settings,
                             [] { return CliReporter::Milliseconds(0); });
        NoWindow window;
        UpgradeSequence sequence(steps, frontEnd, window, "192.168.1.1", "v2.00.22");
        frontEnd.Attach(sequence);

        for (int press = 0; press < 3 && !frontEnd.Verdict(); ++press) {
            sequence.Forward();
        }
        if (c.workerResult >= 0) {
            ASSERT_FALSE(frontEnd.Verdict());  // the run waits for the worker
            sequence.OnDone(static_cast<unsigned>(c.workerResult));
        }
        const std::optional<HeadlessVerdict> verdict = frontEnd.Verdict();
        ASSERT_TRUE(verdict);
        EXPECT_EQ(verdict->code, c.expected);
        EXPECT_EQ(steps.started.has_value(), c.uploadStarted);
        EXPECT_EQ(steps.checkedAddress, "192.168.1.1");
        EXPECT_EQ(steps.checkedPassword, password.value_or("rodel"));
        if (steps.started) {
            EXPECT_EQ(steps.started->password, password.value_or("rodel"));
        }
        const bool asked = c.routerPasses && c.intact && std::string_view(c.routerVersion) == "v2.00.30";
        EXPECT_EQ(questions.str().find("runs v2.00.30, newer than v2.00.22") != std::string::npos, asked)
            << questions.str();
        EXPECT_EQ(PrintedCause(*verdict).empty(), c.expected == ExitCode::Success);
    }
}

TEST(CliFrontEnd, ReadsTypedAnswersAndErrors) {
    const std::pair<const char*, bool> answers[] = {
        {"y", true},  {"Y", true},   {"yes", true},   {" YES\r", true}, {"\tyEs ", true}, {"", false},
        {"n", false}, {"no", false}, {"yess", false}, {"y es", false},  {"ja", false},    {"1", false},
    };
    for (const auto& [typed, yes] : answers) {
        EXPECT_EQ(AnswerIsYes(typed), yes) << '"' << typed << '"';
    }
    EXPECT_EQ(ExitCodeForError(IDS_ROUTER_NOT_FOUND), ExitCode::RouterCheckFailed);
    EXPECT_EQ(ExitCodeForError(IDS_IMAGE_DAMAGED), ExitCode::ImageDamaged);
    EXPECT_EQ(ExitCodeForError(IDS_NO_ADAPTERS), ExitCode::UpgradeFailed);
}

}  // namespace
}  // namespace fwu::cli
