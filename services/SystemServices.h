// The program's own router services: the real gateway discovery, router check and upload start.
#pragma once

#include "services/UpgradeServices.h"
#include "transfer/UploadJobRunner.h"
#include "upgrade/AttemptLog.h"

namespace fwu {

// The system's upload services, telling `log` how each upload ended.
UploadServices LoggedUploadServices(AttemptLog& log);

class SystemUpgradeServices final : public UpgradeServices {
public:
    SystemUpgradeServices() : uploadRunner{StartServices(), LoggedUploadServices(attemptLog)} {}

    std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) override;
    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) override;
    bool StartUploadJob(const UploadTarget& target, UploadWindow& window) override;
    bool UploadRunning() override { return uploadRunner.Running(); }
    void JoinUpload() override { uploadRunner.Join(); }
    bool CarriedImageIntact() override;
    FirmwareInfo LoadFirmwareInfo() override;
    AttemptLog* Log() override { return &attemptLog; }
    ConfirmationWatchServices WatchServices() override;
    // The time the success page's watch gives the router, kConfirmationWatchMs unless shortened.
    void LimitWatch(std::int64_t ms) { watchMs = ms; }
    bool UploadStoppable() override { return uploadRunner.Stoppable(); }
    void StopUpload() override { uploadRunner.Stop(); }
    platform::SleepLockTaken HoldOffSleep() override { return platform::TakeSleepLock({}); }

private:
    UploadStartServices StartServices();

    std::int64_t watchMs = kConfirmationWatchMs;
    // The carried image as read and verified at start-up (or by the first check after a failed read). The
    // upload sends these bytes: they match the version the pages show, and the press that starts an
    // upload does not read and hash 3 MB again on the window thread.
    std::shared_ptr<const Bytes> verifiedImage;
    // Declared before the runner: the worker writes to it until joined.
    AttemptLog attemptLog{AttemptLogPath()};
    // Joins a running worker when the services end; the worker tells the log how the upload ended.
    UploadJobRunner uploadRunner;
};

}  // namespace fwu
