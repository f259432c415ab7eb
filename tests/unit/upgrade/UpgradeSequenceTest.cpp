// The upgrade sequence without a window: page transitions, router check outcomes, the start with its
// questions, and the worker's results, against a front end and router steps that record what they are
// asked.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "res/StringTable.h"
#include "router/Credential.h"
#include "transfer/UploadWorker.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/FailureText.h"
#include "upgrade/UpgradeSequence.h"

namespace fwu {
namespace {

struct Steps final : UpgradeStepServices {
    std::optional<RouterCheckResult> check = RouterCheckResult{true, "v2.00.22"};
    bool imageIntact = true;
    bool startResult = true;
    std::vector<std::string> checked;  // "address password"
    std::vector<UploadRequest> starts;

    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) override {
        checked.push_back(address.Dotted() + " " + password);
        return check.value_or(RouterCheckResult{});
    }
    bool CarriedImageIntact() override { return imageIntact; }
    bool StartUploadJob(const UploadRequest& request, UploadWindow&) override {
        starts.push_back(request);
        return startResult;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
    bool stoppable = true;
    int stops = 0;
    bool UploadStoppable() override { return stoppable; }
    void StopUpload() override { ++stops; }
};

struct FrontEnd final : UpgradeFrontEnd {
    Steps* steps = nullptr;
    bool checkRuns = true;  // false: no thread for the check
    TypedLogin typed{"rodel", {"192", "168", "1", "1"}};
    std::deque<bool> answers;
    std::vector<std::string> log;  // every call, in order

    void BeginPageChange() override { log.push_back("begin"); }
    void LeavePage(PageNumber page) override { log.push_back("leave " + std::to_string(page)); }
    void EnterPage(PageNumber page) override { log.push_back("enter " + std::to_string(page)); }
    void EndPageChange() override { log.push_back("end"); }
    std::optional<TypedLogin> ReadLogin() override { return typed; }
    void CheckStarted() override { log.push_back("check started"); }
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override {
        if (!checkRuns) {
            return std::nullopt;
        }
        return check();
    }
    void CheckEnded() override { log.push_back("check ended"); }
    int ShowProgress(int percent) override {
        log.push_back("progress " + std::to_string(percent));
        return percent > 100 ? 100 : percent;
    }
    void SetShownPercent(int percent) override { log.push_back("shown " + std::to_string(percent)); }
    void ShowUploadFailure(const UploadVerdict&, const std::string& causeText) override {
        log.push_back("failed " + causeText);
    }
    void ShowUploadStarted() override { log.push_back("upload started"); }
    void ShowErrorWithReason(int stringId, const std::string& reason) override {
        log.push_back("error " + std::to_string(stringId) + " " + reason);
    }
    bool AskYesNo(int stringId) override {
        log.push_back("ask " + std::to_string(stringId));
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void ShowError(int stringId) override { log.push_back("error " + std::to_string(stringId)); }
    void Pause(int milliseconds) override { log.push_back("pause " + std::to_string(milliseconds)); }
    void EndRun() override { log.push_back("end run"); }
};

struct NoWindow final : UploadWindow {
    void PostUpgradeProgress(int) override {}
    void ResetPercent() override {}
    std::vector<int> statusIds;
    void SetStatusText(int stringId, int) override { statusIds.push_back(stringId); }
    void PostUpgradeDone(unsigned) override {}
};

struct Rig {
    Steps steps;
    FrontEnd front;
    NoWindow window;
    UpgradeSequence sequence{steps, front, window, "10.0.0.138", "v2.00.22"};

    // Welcome, login (check), verify, and Upgrade.
    void WalkToProgress() {
        sequence.Forward();
        sequence.Forward();
        sequence.Forward();
    }
};

using Log = std::vector<std::string>;

TEST(UpgradeSequence, PagesFollowTheButtons) {
    Rig rig;
    EXPECT_EQ(rig.sequence.Address().Dotted(), "10.0.0.138");
    struct Press {
        bool forward;
        int pageAfter;
    };
    // Next, Back, Next, Next (checked), Back, Next (checked again), Upgrade.
    for (const Press& p : {Press{true, 1}, Press{false, 0}, Press{true, 1}, Press{true, 2}, Press{false, 1},
                           Press{true, 2}, Press{true, 3}}) {
        p.forward ? rig.sequence.Forward() : rig.sequence.Second();
        EXPECT_EQ(rig.sequence.Page(), p.pageAfter);
    }
    EXPECT_EQ(rig.steps.checked, (std::vector<std::string>{"192.168.1.1 rodel", "192.168.1.1 rodel"}));
    EXPECT_TRUE(rig.sequence.Busy());
    ASSERT_EQ(rig.steps.starts.size(), 1u);
    EXPECT_EQ(rig.steps.starts[0].routerAddress, "192.168.1.1");
    // Leaving a page always comes between the start and the end of a change; the upload starts inside.
    const Log lastChange(rig.front.log.end() - 5, rig.front.log.end());
    EXPECT_EQ(lastChange, (Log{"begin", "leave 2", "enter 3", "upload started", "end"}));

    rig.sequence.Second();  // busy: no Retry
    rig.sequence.Forward();
    EXPECT_EQ(rig.steps.starts.size(), 1u);
}

TEST(UpgradeSequence, CheckOutcomes) {
    struct Case {
        const char* name;
        bool runs;
        std::optional<RouterCheckResult> result;
        int page;
        const char* version;
        bool error;
        std::string shown;   // the version as the verify page shows it
        std::string reason;  // the error box's second line
    };
    const Case cases[] = {
        {"passed with version", true, RouterCheckResult{true, "v1.50.00", RouterCheckReason::VersionRead}, 2,
         "v1.50.00", false, "v1.50.00", ""},
        {"passed without version", true,
         RouterCheckResult{true, std::nullopt, RouterCheckReason::NoAnswerInTime}, 2, "", false,
         "unknown (no answer in time)", ""},
        {"refused", true,
         RouterCheckResult{false, std::nullopt, RouterCheckReason::PasswordRefused, "HTTP/1.0 401 No"}, 1, "",
         true, "", "The Router refused the password (HTTP/1.0 401 No)."},
        {"no router's address", true,
         RouterCheckResult{false, std::nullopt, RouterCheckReason::NotRouterAddress}, 1, "", true, "",
         "This is not a router's address. Enter the address of the Router."},
        {"no means of pinging", true,
         RouterCheckResult{false, std::nullopt, RouterCheckReason::PingNotAllowed}, 1, "", true, "",
         "This user may not send pings. An administrator can allow them with sysctl -w "
         "net.ipv4.ping_group_range=\"0 2147483647\", or with setcap cap_net_raw+ep on this program."},
        {"no thread for the check", false, RouterCheckResult{true, "v1.50.00"}, 1, "", true, "", ""},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.steps.check = c.result;
        rig.front.checkRuns = c.runs;
        rig.front.typed = {"secret", {"10", "", "0", "7"}};
        rig.sequence.Forward();
        rig.sequence.Forward();
        EXPECT_EQ(rig.sequence.Page(), c.page) << c.name;
        EXPECT_EQ(rig.sequence.RouterVersion(), c.version) << c.name;
        EXPECT_FALSE(rig.sequence.CheckingRouter()) << c.name;
        // What was typed is kept whatever the outcome.
        EXPECT_EQ(rig.sequence.Address().Dotted(), "10.0.0.7") << c.name;
        EXPECT_EQ(rig.sequence.Password(), "secret") << c.name;
        const std::string error = "error " + std::to_string(IDS_ROUTER_NOT_FOUND);
        const std::string withReason = c.reason.empty() ? error : error + " " + c.reason;
        const bool errorShown = std::count(rig.front.log.begin(), rig.front.log.end(), withReason) == 1;
        EXPECT_EQ(errorShown, c.error) << c.name;
        EXPECT_EQ(rig.sequence.RouterVersionShown(), c.shown) << c.name;
    }
}

TEST(UpgradeSequence, StartQuestionsAndImage) {
    struct Case {
        const char* name;
        const char* routerVersion;
        bool imageIntact;
        std::deque<bool> answers;
        int page;
        bool started;
        const char* lastCall;
    };
    const std::string ask = "ask " + std::to_string(IDS_ASK_DOWNGRADE);
    const std::string damaged = "error " + std::to_string(IDS_IMAGE_DAMAGED);
    const Case cases[] = {
        {"same version", "v2.00.22", true, {}, 3, true, "end"},
        {"router newer, No", "v2.00.23", true, {false}, 3, false, "end"},
        {"router newer, Yes", "v2.00.23", true, {true}, 3, true, "end"},
        {"image damaged", "v2.00.23", false, {true}, 2, false, damaged.c_str()},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.steps.check = RouterCheckResult{true, c.routerVersion};
        rig.steps.imageIntact = c.imageIntact;
        rig.front.answers = c.answers;
        rig.WalkToProgress();
        EXPECT_EQ(rig.sequence.Page(), c.page) << c.name;
        EXPECT_EQ(rig.steps.starts.size(), c.started ? 1u : 0u) << c.name;
        EXPECT_EQ(rig.sequence.Busy(), c.started) << c.name;
        EXPECT_EQ(rig.front.log.back(), c.lastCall) << c.name;
        const bool asked = std::count(rig.front.log.begin(), rig.front.log.end(), ask) == 1;
        EXPECT_EQ(asked, !c.answers.empty() && c.imageIntact) << c.name;
        const bool endedRun = std::count(rig.front.log.begin(), rig.front.log.end(), "end run") == 1;
        EXPECT_EQ(endedRun, c.imageIntact && !c.started) << c.name;
    }
}

TEST(UpgradeSequence, WorkerResults) {
    struct Case {
        const char* name;
        bool startResult;
        std::vector<int> percents;
        std::optional<unsigned> result;  // nothing: no done message
        int page;
        Log tail;  // the front end's last calls
    };
    const Case cases[] = {
        {"success", true, {1, 50, 100}, 1u, 4, {"pause 1000", "begin", "leave 3", "enter 4", "end"}},
        {"failure says so",
         true,
         {1, 37},
         0u,
         3,
         {"pause 1000", "failed " + FailureText(VerdictOfResult(0)), "shown 0"}},
        {"start fails: Retry at once",
         false,
         {},
         std::nullopt,
         3,
         {"enter 3", "upload started", "failed " + FailureText({0, UploadOutcome::NotConnected}), "shown 0",
          "end"}},
        {"over 100 shown as 100", true, {101}, std::nullopt, 3, {"progress 101"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.steps.startResult = c.startResult;
        rig.WalkToProgress();
        for (const int p : c.percents) {
            rig.sequence.OnProgress(p);
        }
        if (c.result) {
            rig.sequence.OnDone(*c.result);
        }
        EXPECT_EQ(rig.sequence.Page(), c.page) << c.name;
        const Log tail(rig.front.log.end() - static_cast<std::ptrdiff_t>(c.tail.size()), rig.front.log.end());
        EXPECT_EQ(tail, c.tail) << c.name;
        const bool running = c.startResult && !c.result;
        EXPECT_EQ(rig.sequence.Busy(), running) << c.name;
        EXPECT_EQ(rig.sequence.Percent(), running && !c.percents.empty() ? 100 : 0) << c.name;

        // A done message with no upload running changes nothing.
        const std::size_t calls = rig.front.log.size();
        if (!running) {
            rig.sequence.OnDone(1);
            EXPECT_EQ(rig.front.log.size(), calls) << c.name;
        }
    }
}

// A whole run with a recognisable password, against a router that echoes it and its credential back in
// every text it sends: the log has each step, and neither the password nor a Base64 form of it.
TEST(UpgradeSequence, LogNeverHoldsThePassword) {
    const std::string password = "Zq9-Pass-Word-7Kx";
    std::string credential;
    ASSERT_TRUE(BuildBasicCredential(password, credential));
    const std::string bare =
        Base64Encode(reinterpret_cast<const unsigned char*>(password.data()), password.size());

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/upgrade.log";
    AttemptLog log(path);
    Rig rig;
    rig.sequence.SetAttemptLog(&log);
    rig.front.typed = {password, {"192", "168", "1", "1"}};
    rig.steps.check = RouterCheckResult{true, "v2.00.23"};
    rig.front.answers = {true};
    rig.WalkToProgress();
    ASSERT_EQ(rig.steps.starts.size(), 1u);
    UploadVerdict verdict;
    verdict.result = 0;
    verdict.outcome = UploadOutcome::RefusedByRouter;
    verdict.statusLine = "HTTP/1.0 401 Basic " + credential;
    verdict.answer = verdict.statusLine;
    LogTransferEnd(log, verdict);
    LogUploadVerdict(log, verdict);

    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string logged = text.str();
    for (const char* step : {" check: 192.168.1.1: passed, router runs v2.00.23\n",
                             " downgrade: router runs v2.00.23, image carries v2.00.22: user answered Yes\n",
                             " answer: \"HTTP/1.0 401 Basic [hidden]\"\n", " verdict: result 0, refused"}) {
        EXPECT_NE(logged.find(step), std::string::npos) << step << "\n" << logged;
    }
    for (const std::string& secret : {password, credential, bare}) {
        EXPECT_EQ(logged.find(secret), std::string::npos) << secret << "\n" << logged;
    }
}

// Closing while an upload runs: asked while the image is sent (Yes stops, No goes on), refused with a
// status line during the flash wait, nothing to stop when no upload runs.
TEST(UpgradeSequence, StopRequests) {
    struct Case {
        const char* name;
        bool walk;  // an upload runs
        bool stoppable;
        std::deque<bool> answers;
        StopRequest request;
        int stops;
        std::vector<int> statusIds;
    };
    const Case cases[] = {
        {"sending, Yes", true, true, {true}, StopRequest::Asked, 1, {}},
        {"sending, No", true, true, {false}, StopRequest::Asked, 0, {}},
        {"flash wait", true, false, {true}, StopRequest::Refused, 0, {IDS_STOP_REFUSED}},
        {"no upload", false, true, {true}, StopRequest::NotRunning, 0, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        if (c.walk) {
            rig.WalkToProgress();
        }
        rig.steps.stoppable = c.stoppable;
        rig.front.answers = c.answers;
        EXPECT_EQ(rig.sequence.RequestStop(), c.request) << c.name;
        EXPECT_EQ(rig.steps.stops, c.stops) << c.name;
        EXPECT_EQ(rig.window.statusIds, c.statusIds) << c.name;
        const bool asked = std::count(rig.front.log.begin(), rig.front.log.end(),
                                      "ask " + std::to_string(IDS_ASK_STOP)) == 1;
        EXPECT_EQ(asked, c.request == StopRequest::Asked) << c.name;
    }
}

}  // namespace
}  // namespace fwu
