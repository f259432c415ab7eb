// The wizard over the upgrade run, without a window: page transitions, router check outcomes, the start
// with its questions, the worker's messages through the run's mailbox, the credential and the log, against
// a view and router steps that record what they are asked.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/StringTable.h"
#include "router/Credential.h"
#include "transfer/UploadWorker.h"
#include "upgrade/AttemptLog.h"
#include "wizard/WizardFlow.h"

namespace fwu {
namespace {

struct Steps final : UpgradeStepServices {
    std::optional<RouterCheckResult> check = RouterCheckResult{true, "v2.00.22"};
    bool imageIntact = true;
    bool startResult = true;
    std::vector<std::string> checked;  // "address credential"
    std::vector<UploadTarget> starts;
    UploadWindow* mailbox = nullptr;  // where the last started upload posts

    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) override {
        checked.push_back(address.Dotted() + " " + credential);
        return check.value_or(RouterCheckResult{});
    }
    bool CarriedImageIntact() override { return imageIntact; }
    bool StartUploadJob(const UploadTarget& target, UploadWindow& window) override {
        starts.push_back(target);
        mailbox = &window;
        return startResult;
    }
    bool UploadRunning() override { return false; }
    void JoinUpload() override {}
    bool stoppable = true;
    int stops = 0;
    bool UploadStoppable() override { return stoppable; }
    void StopUpload() override { ++stops; }
};

struct View final : WizardView {
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
    std::function<void()> duringCheck;  // what the user does while the check waits
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override {
        if (!checkRuns) {
            return std::nullopt;
        }
        if (duringCheck) {
            duringCheck();
        }
        return check();
    }
    void CheckEnded() override { log.push_back("check ended"); }
    void ShowProgress(int percent) override { log.push_back("progress " + std::to_string(percent)); }
    void SetShownPercent(int percent) override { log.push_back("shown " + std::to_string(percent)); }
    void ShowStatusText(int stringId) override { log.push_back("status " + std::to_string(stringId)); }
    void ShowUploadFailure(const std::string& causeText) override { log.push_back("failed " + causeText); }
    void ShowConfirmation(std::optional<ConfirmationState>, const std::string&) override {
        log.push_back("confirmation");
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

struct Rig {
    Steps steps;
    View view;
    QueuedRunMailbox mailbox;
    WizardFlow flow{steps, view, mailbox, "10.0.0.138", "v2.00.22"};

    // The worker's posts reach the run through its mailbox when this thread's loop takes them.
    void Deliver() {
        while (mailbox.DeliverFor(flow.Receiver(), std::chrono::milliseconds(0)) > 0) {
        }
    }

    void Forward() { flow.Press(BTN_FORWARD); }
    void Second() { flow.Press(BTN_SECOND); }
    // Welcome, login (check), verify, and Upgrade.
    void WalkToProgress() {
        Forward();
        Forward();
        Forward();
    }
};

using Log = std::vector<std::string>;

TEST(WizardFlow, PagesFollowTheButtons) {
    Rig rig;
    EXPECT_EQ(rig.flow.Address().Dotted(), "10.0.0.138");
    struct Press {
        bool forward;
        int pageAfter;
    };
    // Next, Back, Next, Next (checked), Back, Next (checked again), Upgrade.
    for (const Press& p : {Press{true, 1}, Press{false, 0}, Press{true, 1}, Press{true, 2}, Press{false, 1},
                           Press{true, 2}, Press{true, 3}}) {
        p.forward ? rig.Forward() : rig.Second();
        EXPECT_EQ(rig.flow.Page(), p.pageAfter);
    }
    // One credential per check, made from the password typed (":rodel").
    EXPECT_EQ(rig.steps.checked, (std::vector<std::string>{"192.168.1.1 OnJvZGVs", "192.168.1.1 OnJvZGVs"}));
    EXPECT_TRUE(rig.flow.Busy());
    ASSERT_EQ(rig.steps.starts.size(), 1u);
    EXPECT_EQ(rig.steps.starts[0].address.Dotted(), "192.168.1.1");
    EXPECT_EQ(rig.steps.starts[0].credential, "OnJvZGVs");
    // Leaving a page always comes between the start and the end of a change; the upload starts inside.
    const Log lastChange(rig.view.log.end() - 5, rig.view.log.end());
    EXPECT_EQ(lastChange, (Log{"begin", "leave 2", "enter 3", "upload started", "end"}));

    rig.Second();  // busy: no Retry
    rig.Forward();
    EXPECT_EQ(rig.steps.starts.size(), 1u);
}

TEST(WizardFlow, CheckOutcomes) {
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
         "net.ipv4.ping_group_range=\"0 2147483647\"."},
        {"broadcast address", true,
         RouterCheckResult{false, std::nullopt, RouterCheckReason::BroadcastAddress}, 1, "", true, "",
         "This is the broadcast address of a network, not a router's address. Enter the address of the "
         "Router."},
        {"no route", true, RouterCheckResult{false, std::nullopt, RouterCheckReason::NoRoute}, 1, "", true,
         "",
         "This computer has no route to this address. Check its network connection and the Router's "
         "address."},
        {"no thread for the check", false, RouterCheckResult{true, "v1.50.00"}, 1, "", true, "", ""},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.steps.check = c.result;
        rig.view.checkRuns = c.runs;
        rig.view.typed = {"secret", {"10", "", "0", "7"}};
        rig.Forward();
        rig.Forward();
        EXPECT_EQ(rig.flow.Page(), c.page) << c.name;
        EXPECT_EQ(rig.flow.Run().RouterVersion(), c.version) << c.name;
        EXPECT_FALSE(rig.flow.CheckingRouter()) << c.name;
        // What was typed is kept whatever the outcome.
        EXPECT_EQ(rig.flow.Address().Dotted(), "10.0.0.7") << c.name;
        EXPECT_EQ(rig.flow.Password(), "secret") << c.name;
        const std::string error = "error " + std::to_string(IDS_ROUTER_NOT_FOUND);
        const std::string withReason = c.reason.empty() ? error : error + " " + c.reason;
        const bool errorShown = std::count(rig.view.log.begin(), rig.view.log.end(), withReason) == 1;
        EXPECT_EQ(errorShown, c.error) << c.name;
        EXPECT_EQ(rig.flow.Run().RouterVersionShown(), c.shown) << c.name;
    }
}

// A password too long for the credential is refused by the run itself: nothing reaches the router.
TEST(WizardFlow, PasswordTooLongIsRefusedWithoutTraffic) {
    Rig rig;
    rig.view.typed = {std::string(kMaxPasswordBytes + 1, 'p'), {"192", "168", "1", "1"}};
    rig.Forward();
    rig.Forward();
    EXPECT_EQ(rig.flow.Page(), PAGE_LOGIN);
    EXPECT_TRUE(rig.steps.checked.empty());
    EXPECT_EQ(rig.view.log.back(), "error 30001 The Router refused the password.");

    rig.view.typed.password = std::string(kMaxPasswordBytes, 'p');
    rig.Forward();
    EXPECT_EQ(rig.flow.Page(), PAGE_VERIFY);
    EXPECT_EQ(rig.steps.checked.size(), 1u);
}

TEST(WizardFlow, StartQuestionsAndImage) {
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
        rig.view.answers = c.answers;
        rig.WalkToProgress();
        EXPECT_EQ(rig.flow.Page(), c.page) << c.name;
        EXPECT_EQ(rig.steps.starts.size(), c.started ? 1u : 0u) << c.name;
        EXPECT_EQ(rig.flow.Busy(), c.started) << c.name;
        EXPECT_EQ(rig.view.log.back(), c.lastCall) << c.name;
        const bool asked = std::count(rig.view.log.begin(), rig.view.log.end(), ask) == 1;
        EXPECT_EQ(asked, !c.answers.empty() && c.imageIntact) << c.name;
        const bool endedRun = std::count(rig.view.log.begin(), rig.view.log.end(), "end run") == 1;
        EXPECT_EQ(endedRun, c.imageIntact && !c.started) << c.name;
    }
}

TEST(WizardFlow, WorkerResults) {
    struct Case {
        const char* name;
        bool startResult;
        std::vector<int> percents;
        std::optional<unsigned> result;  // nothing: no done message
        int page;
        Log tail;  // the front end's last calls
    };
    const Case cases[] = {
        // The success page; no watch can run here (no probe), and the page is told so.
        {"success",
         true,
         {1, 50, 100},
         1u,
         4,
         {"pause 1000", "begin", "leave 3", "enter 4", "end", "confirmation"}},
        {"failure says so",
         true,
         {1, 37},
         0u,
         3,
         {"pause 1000", "failed The upgrade did not complete. Click Retry to try again.", "shown 0"}},
        {"start fails: Retry at once",
         false,
         {},
         std::nullopt,
         3,
         {"enter 3", "upload started",
          "failed The Router's web server did not accept the connection. Check it and click Retry.",
          "shown 0", "end"}},
        {"progress as posted", true, {42}, std::nullopt, 3, {"progress 42"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.steps.startResult = c.startResult;
        rig.WalkToProgress();
        for (const int p : c.percents) {
            rig.steps.mailbox->PostUpgradeProgress({p, 1000u * static_cast<unsigned>(p)});
        }
        if (c.result) {
            rig.steps.mailbox->PostUpgradeVerdict(VerdictOfResult(*c.result));
        }
        rig.Deliver();
        EXPECT_EQ(rig.flow.Page(), c.page) << c.name;
        const Log tail(rig.view.log.end() - static_cast<std::ptrdiff_t>(c.tail.size()), rig.view.log.end());
        EXPECT_EQ(tail, c.tail) << c.name;
        const bool running = c.startResult && !c.result;
        EXPECT_EQ(rig.flow.Busy(), running) << c.name;
        EXPECT_EQ(rig.flow.Run().Percent(), running && !c.percents.empty() ? c.percents.back() : 0) << c.name;

        // A done message with no upload running changes nothing.
        const std::size_t calls = rig.view.log.size();
        if (!running && rig.steps.mailbox != nullptr) {
            rig.steps.mailbox->PostUpgradeVerdict(VerdictOfResult(1));
            rig.Deliver();
            EXPECT_EQ(rig.view.log.size(), calls) << c.name;
        }
    }
}

// A whole run with a recognisable password, against a router that echoes it and its credential back in
// every text it sends: the log has each step, and neither the password nor a Base64 form of it.
TEST(WizardFlow, LogNeverHoldsThePassword) {
    const std::string password = "Zq9-Pass-Word-7Kx";
    std::string credential;
    ASSERT_TRUE(BuildBasicCredential(password, credential));
    const std::string bare =
        Base64Encode(reinterpret_cast<const unsigned char*>(password.data()), password.size());

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("wizard-flow-log-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "upgrade.log").string();
    AttemptLog log(path);
    Rig rig;
    rig.flow.Run().SetAttemptLog(&log);
    rig.view.typed = {password, {"192", "168", "1", "1"}};
    rig.steps.check = RouterCheckResult{true, "v2.00.23"};
    rig.view.answers = {true};
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
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// Closing while an upload runs: asked while the image is sent (Yes stops, No goes on), refused with a
// status line during the flash wait, nothing to stop when no upload runs.
TEST(WizardFlow, StopRequests) {
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
        rig.view.answers = c.answers;
        EXPECT_EQ(rig.flow.Run().RequestStop(), c.request) << c.name;
        EXPECT_EQ(rig.steps.stops, c.stops) << c.name;
        std::vector<int> statusIds;
        for (const std::string& call : rig.view.log) {
            if (call.rfind("status ", 0) == 0) {
                statusIds.push_back(std::stoi(call.substr(7)));
            }
        }
        EXPECT_EQ(statusIds, c.statusIds) << c.name;
        const bool asked =
            std::count(rig.view.log.begin(), rig.view.log.end(), "ask " + std::to_string(IDS_ASK_STOP)) == 1;
        EXPECT_EQ(asked, c.request == StopRequest::Asked) << c.name;
    }
}

// The page machine, press by press and close request by close request, from every page: the page after it
// and every call the view gets for it, in order. No toolkit: the view and the router steps record.
TEST(WizardFlow, TransitionTable) {
    enum class Act { Forward, Second, Close, CloseRequest };
    const std::string damaged = "error " + std::to_string(IDS_IMAGE_DAMAGED);
    const std::string notFound = "error " + std::to_string(IDS_ROUTER_NOT_FOUND) +
                                 " The Router refused the password (HTTP/1.0 401 No).";
    const std::string askStop = "ask " + std::to_string(IDS_ASK_STOP);
    const std::string refusedStop = "status " + std::to_string(IDS_STOP_REFUSED);
    struct Row {
        const char* name;
        PageNumber from;
        Act act;
        PageNumber to;
        Log calls;
        bool checkPasses = true;
        bool imageIntact = true;
        bool startResult =
            true;               // false: the first upload failed to start, so none runs on the progress page
        bool stoppable = true;  // false: the image is out, the router writes its flash
        std::optional<CloseAnswer> close = std::nullopt;
    };
    const Row rows[] = {
        {"welcome Next", PAGE_WELCOME, Act::Forward, PAGE_LOGIN, {"begin", "leave 0", "enter 1", "end"}},
        {"welcome Exit", PAGE_WELCOME, Act::Second, PAGE_WELCOME, {"end run"}},
        {"welcome close", PAGE_WELCOME, Act::Close, PAGE_WELCOME, {"end run"}},
        {"welcome close request",
         PAGE_WELCOME,
         Act::CloseRequest,
         PAGE_WELCOME,
         {},
         true,
         true,
         true,
         true,
         CloseAnswer::Close},
        {"login Next checks",
         PAGE_LOGIN,
         Act::Forward,
         PAGE_VERIFY,
         {"check started", "check ended", "begin", "leave 1", "enter 2", "end"}},
        {"login Next refused",
         PAGE_LOGIN,
         Act::Forward,
         PAGE_LOGIN,
         {"check started", "check ended", notFound},
         false},
        {"login Back", PAGE_LOGIN, Act::Second, PAGE_WELCOME, {"begin", "leave 1", "enter 0", "end"}},
        {"verify Upgrade",
         PAGE_VERIFY,
         Act::Forward,
         PAGE_PROGRESS,
         {"begin", "leave 2", "enter 3", "upload started", "end"}},
        {"verify Upgrade, image damaged", PAGE_VERIFY, Act::Forward, PAGE_VERIFY, {damaged}, true, false},
        {"verify Back", PAGE_VERIFY, Act::Second, PAGE_LOGIN, {"begin", "leave 2", "enter 1", "end"}},
        {"progress busy: Retry ignored", PAGE_PROGRESS, Act::Second, PAGE_PROGRESS, {}},
        {"progress busy: close button ignored", PAGE_PROGRESS, Act::Close, PAGE_PROGRESS, {}},
        {"progress busy: close asks",
         PAGE_PROGRESS,
         Act::CloseRequest,
         PAGE_PROGRESS,
         {askStop},
         true,
         true,
         true,
         true,
         CloseAnswer::Stay},
        {"progress flash wait: close refused",
         PAGE_PROGRESS,
         Act::CloseRequest,
         PAGE_PROGRESS,
         {refusedStop},
         true,
         true,
         true,
         false,
         CloseAnswer::Stay},
        {"progress idle: blank plate", PAGE_PROGRESS, Act::Forward, PAGE_PROGRESS, {}, true, true, false},
        {"progress idle: Retry",
         PAGE_PROGRESS,
         Act::Second,
         PAGE_PROGRESS,
         {"upload started"},
         true,
         true,
         false},
        {"progress idle: Retry, image damaged",
         PAGE_PROGRESS,
         Act::Second,
         PAGE_PROGRESS,
         {damaged},
         true,
         false,
         false},
        {"progress idle: close", PAGE_PROGRESS, Act::Close, PAGE_PROGRESS, {"end run"}, true, true, false},
        {"done: blank plate", PAGE_DONE, Act::Forward, PAGE_DONE, {}},
        {"done Exit", PAGE_DONE, Act::Second, PAGE_DONE, {"end run"}},
        {"done close request",
         PAGE_DONE,
         Act::CloseRequest,
         PAGE_DONE,
         {},
         true,
         true,
         true,
         true,
         CloseAnswer::Close},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.steps.startResult = row.startResult;
        for (int page = PAGE_WELCOME; page < std::min<int>(row.from, PAGE_PROGRESS); ++page) {
            rig.Forward();
        }
        if (row.from == PAGE_DONE) {
            rig.steps.mailbox->PostUpgradeVerdict(VerdictOfResult(1));
            rig.Deliver();
        }
        ASSERT_EQ(rig.flow.Page(), row.from) << row.name;
        rig.steps.check = row.checkPasses
                              ? RouterCheckResult{true, "v2.00.22"}
                              : RouterCheckResult{false, std::nullopt, RouterCheckReason::PasswordRefused,
                                                  "HTTP/1.0 401 No"};
        rig.steps.imageIntact = row.imageIntact;
        rig.steps.stoppable = row.stoppable;
        rig.steps.startResult = true;  // a Retry starts the upload
        rig.view.log.clear();
        std::optional<CloseAnswer> close;
        switch (row.act) {
            case Act::Forward:
                rig.Forward();
                break;
            case Act::Second:
                rig.Second();
                break;
            case Act::Close:
                rig.flow.Press(BTN_CLOSE);
                break;
            case Act::CloseRequest:
                close = rig.flow.RequestClose();
                break;
        }
        EXPECT_EQ(rig.flow.Page(), row.to) << row.name;
        EXPECT_EQ(rig.view.log, row.calls) << row.name;
        EXPECT_EQ(close, row.close) << row.name;
    }
}

// While the router is checked the window may not close, and the check is not disturbed.
TEST(WizardFlow, NoCloseDuringTheCheck) {
    Rig rig;
    rig.Forward();
    std::optional<CloseAnswer> answer;
    rig.view.duringCheck = [&] { answer = rig.flow.RequestClose(); };
    rig.Forward();
    EXPECT_EQ(answer, CloseAnswer::Stay);
    EXPECT_EQ(rig.flow.Page(), PAGE_VERIFY);
    EXPECT_EQ(rig.steps.stops, 0);
}

}  // namespace
}  // namespace fwu
