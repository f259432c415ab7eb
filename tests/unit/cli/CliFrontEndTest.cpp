// The terminal's view of the upgrade run, with fake router steps: when the downgrade question is asked,
// answered or refused (and that nothing is started when it is refused), the exact body bytes the worker's
// posts carry reaching the report, and the typed answer's reading.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>

#include "cli/CliFrontEnd.h"
#include "res/StringTable.h"

namespace fwu::cli {
namespace {

class FakeSteps final : public UpgradeStepServices {
public:
    std::string routerVersion;
    int starts = 0;
    UploadWindow* mailbox = nullptr;
    RouterCheckResult CheckRouter(const RouterAddress&, const std::string&) override {
        return {true, routerVersion};
    }
    bool CarriedImageIntact() override { return true; }
    bool StartUploadJob(const UploadTarget&, UploadWindow& window) override {
        mailbox = &window;
        return ++starts, true;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
};

TEST(CliFrontEnd, DowngradeQuestion) {
    struct Case {
        const char* name;
        const char* routerVersion;  // the carried image is v2.00.22
        bool assumeYes, terminal;
        const char* typed;  // what the terminal gives the question
        bool starts;
        const char* said;  // in what the question stream shows; null: nothing is shown
    };
    const Case cases[] = {
        {"older router", "v2.00.20", false, false, "", true, nullptr},
        {"newer, --yes", "v2.00.30", true, false, "", true, "Answered yes (--yes)."},
        {"newer, no terminal", "v2.00.30", false, false, "y\n", false, "No terminal to answer on: refused"},
        {"newer, typed yes", "v2.00.30", false, true, " Yes\n", true, "[y/N]"},
        {"newer, Enter", "v2.00.30", false, true, "\n", false, "[y/N]"},
        {"newer, input ends", "v2.00.30", false, true, "", false, "[y/N]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSteps steps;
        steps.routerVersion = c.routerVersion;
        std::ostringstream out, questions;
        std::istringstream answers(c.typed);
        CliReporter reporter(out, ReportStyle::Plain);
        CliFrontEnd frontEnd(reporter, questions, answers, {c.assumeYes, c.terminal},
                             [] { return CliReporter::Milliseconds(0); }, {});
        QueuedRunMailbox mailbox;
        UpgradeRun run(steps, frontEnd, "v2.00.22", mailbox);
        ASSERT_TRUE(run.Check(RouterAddress::Split("192.168.1.1"), "rodel").passed);
        EXPECT_EQ(run.Start(), c.starts ? StartOutcome::Started : StartOutcome::Declined);
        EXPECT_EQ(steps.starts, c.starts ? 1 : 0);
        const std::string shown = questions.str();
        const bool asked = std::string_view(c.routerVersion) == "v2.00.30";
        EXPECT_EQ(shown.find("runs v2.00.30, newer than v2.00.22") != std::string::npos, asked) << shown;
        if (c.said == nullptr) {
            EXPECT_TRUE(shown.empty()) << shown;
        } else {
            EXPECT_NE(shown.find(c.said), std::string::npos) << shown;
        }
    }
}

TEST(CliFrontEnd, ReportsTheBytesThePostsCarry) {
    FakeSteps steps;
    steps.routerVersion = "v2.00.20";
    std::ostringstream out, questions;
    std::istringstream answers;
    CliReporter reporter(out, ReportStyle::Json);
    CliFrontEnd frontEnd(reporter, questions, answers, {}, [] { return CliReporter::Milliseconds(0); }, {});
    QueuedRunMailbox mailbox;
    UpgradeRun run(steps, frontEnd, "v2.00.22", mailbox);
    run.Check(RouterAddress::Split("192.168.1.1"), "rodel");
    ASSERT_EQ(run.Start(), StartOutcome::Started);
    // The sleep lock's answer comes from a thread of its own, whenever that thread runs: taken first, so
    // the count below is the progress posts' alone.
    ASSERT_EQ(mailbox.DeliverFor(run.Receiver(), std::chrono::seconds(10)), 1u);
    steps.mailbox->PostUpgradeProgress({50, 1'626'812});
    steps.mailbox->ResetPercent(3'253'591);
    EXPECT_EQ(mailbox.DeliverFor(run.Receiver(), std::chrono::milliseconds(0)), 2u);
    const std::string shown = out.str();
    for (const char* line :
         {R"("percent":50)", R"("bytes":1626812)", R"("phase":"writing-flash")", R"("bytes":3253591)"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }
}

TEST(CliFrontEnd, ReadsTypedAnswers) {
    const std::pair<const char*, bool> answers[] = {
        {"y", true},  {"Y", true},   {"yes", true},   {" YES\r", true}, {"\tyEs ", true}, {"", false},
        {"n", false}, {"no", false}, {"yess", false}, {"y es", false},  {"ja", false},    {"1", false},
    };
    for (const auto& [typed, yes] : answers) {
        EXPECT_EQ(AnswerIsYes(typed), yes) << '"' << typed << '"';
    }
}

}  // namespace
}  // namespace fwu::cli
