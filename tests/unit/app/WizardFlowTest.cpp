// The wizard over the upgrade run, without a window: page transitions, router check outcomes, the start
// with its questions, the worker's messages through the run's mailbox, the credential and the log, against
// a view and router steps that record what they are asked.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/WizardFlow.h"
#include "res/StringTable.h"
#include "router/Credential.h"
#include "transfer/UploadWorker.h"
#include "ui/ImageButtons.h"
#include "upgrade/AttemptLog.h"

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
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override {
        if (!checkRuns) {
            return std::nullopt;
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

// The worker's posts reach the run through its mailbox, on this thread's event loop.
void Deliver() {
    static int argc = 1;
    static char name[] = "wizard-flow-test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);  // kept for the whole test program
    }
    QCoreApplication::sendPostedEvents();
}

struct Rig {
    Steps steps;
    View view;
    WizardFlow flow{steps, view, "10.0.0.138", "v2.00.22"};

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
        Deliver();
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
            Deliver();
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

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/upgrade.log";
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

// The window's mailbox keeps the event numbers the run's messages have always had, and hands a post made
// on another thread to the receiver when this thread's loop gets to it.
TEST(QtRunMailbox, EventNumbersAndDelivery) {
    EXPECT_EQ(WM_UPGRADE_DONE, QEvent::User + 1);
    EXPECT_EQ(WM_UPGRADE_PROGRESS, QEvent::User + 3);
    struct Receiver final : RunMailboxReceiver {
        std::vector<std::string> calls;
        void OnProgress(const UploadProgress& p) override {
            calls.push_back("progress " + std::to_string(p.percent));
        }
        void OnPercentReset(std::uint64_t) override { calls.push_back("reset"); }
        void OnStatusText(int id) override { calls.push_back("status " + std::to_string(id)); }
        void OnDone(const UploadVerdict& v) override { calls.push_back("done " + std::to_string(v.result)); }
        void OnConfirmation(int round, ConfirmationState, const std::string& version) override {
            calls.push_back("confirmation " + std::to_string(round) + " " + version);
        }
        void OnSleepLock(platform::SleepLockTaken& taken) override {
            calls.push_back("sleep " + taken.failure);
        }
    } receiver;
    Deliver();  // the application object
    QtRunMailbox mailbox;
    mailbox.SetReceiver(receiver);
    std::thread worker([&mailbox] {
        mailbox.PostUpgradeProgress({7, 70});
        mailbox.PostStatusText(3);
        UploadVerdict verdict;
        verdict.result = 1;
        mailbox.PostUpgradeVerdict(verdict);
        mailbox.PostConfirmation(4, ConfirmationState::Confirmed, "v2.00.22");
        mailbox.PostSleepLock({platform::SleepLock(), "no bus"});
    });
    worker.join();
    EXPECT_TRUE(receiver.calls.empty()) << "nothing is handed on before the loop runs";
    Deliver();
    EXPECT_EQ(receiver.calls, (std::vector<std::string>{"progress 7", "status 3", "done 1",
                                                        "confirmation 4 v2.00.22", "sleep no bus"}));
}

}  // namespace
}  // namespace fwu
