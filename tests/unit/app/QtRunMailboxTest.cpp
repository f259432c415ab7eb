// The window's run mailbox: the event numbers of the run's messages, and a post made on another thread
// handed to the receiver when the window thread's loop gets to it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <thread>
#include <vector>

#include "app/QtRunMailbox.h"

namespace fwu {
namespace {

// Runs this thread's posted events, with the application object made on first use.
void Deliver() {
    static int argc = 1;
    static char name[] = "qt-run-mailbox-test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);  // kept for the whole test program
    }
    QCoreApplication::sendPostedEvents();
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
