// Router services for tests of the main window: scripted answers, every call recorded, no network.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "services/UpgradeServices.h"

namespace fwu::testing {

class FakeServices : public UpgradeServices {
public:
    // Scripted answers.
    std::string gateway = "192.168.1.1";
    std::vector<std::string> gatewayMessages;  // shown through the window while the gateway is found
    FirmwareInfo firmware{"NOV 27, 2006", "v2.00.22", "ZPR8800N", "NOV 27,2006",
                          "ZPR8800N_2.00.22_ETSI_code.bin"};
    bool checkResult = true;
    RouterCheckReason checkReason = RouterCheckReason::VersionRead;  // what the check saw
    std::string checkStatusLine;                                     // the router's refusing status line
    std::optional<std::string> routerVersion = "v2.00.22";  // nothing: the status page gave no version
    bool imageIntact = true;                                // the carried image reads back whole
    bool startResult = true;
    std::function<void(const UploadTarget&, UploadWindow&)> onStart;  // runs when a start succeeds
    std::function<void(UploadWindow&)> worker;  // when set, a start runs it on a thread, as the real worker
    ConfirmationWatchServices watch;            // the success page's watch; none by default (no probe)
    bool stoppable = true;                      // the image is still being sent: a stop would be taken
    std::string sleepBus;  // the bus to ask for the suspend lock on; empty: no lock is asked for

    // Recorded calls.
    int gatewayLookups = 0;
    struct Check {
        RouterAddress address;
        std::string credential;
    };
    std::vector<Check> checks;             // as handed in
    std::vector<UploadTarget> starts;      // every start, also the failed ones
    UploadWindow* uploadWindow = nullptr;  // the window of the last start
    int imageChecks = 0;
    int stops = 0;  // StopUpload calls

    // The check runs on a thread of its own. While held, it waits there until released (at most 5 s),
    // so a test can look at the window while the check is under way.
    void HoldChecks();
    void ReleaseChecks();

    std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) override;
    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) override;
    bool StartUploadJob(const UploadTarget& target, UploadWindow& window) override;
    bool CarriedImageIntact() override;
    bool UploadRunning() override { return workerRunning.load(); }
    void JoinUpload() override;
    ~FakeServices() override { JoinUpload(); }
    FirmwareInfo LoadFirmwareInfo() override { return firmware; }
    ConfirmationWatchServices WatchServices() override { return watch; }
    bool UploadStoppable() override { return stoppable; }
    void StopUpload() override { ++stops; }
    platform::SleepLockTaken HoldOffSleep() override {
        return sleepBus.empty() ? platform::SleepLockTaken{} : platform::TakeSleepLock(sleepBus);
    }

private:
    std::mutex holdMutex;
    std::condition_variable holdChanged;
    bool held = false;
    std::atomic<bool> workerRunning{false};
    std::thread workerThread;
};

}  // namespace fwu::testing
