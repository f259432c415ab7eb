// The program's own router services: the real gateway discovery, router check and upload start.
#pragma once

#include "app/UpgradeServices.h"
#include "transfer/UploadJobRunner.h"
#include "upgrade/AttemptLog.h"

namespace fwu {

// The system's upload services, telling `log` how each upload ended and `bodyBytesSent` (may be empty)
// the body bytes taken after each write.
UploadServices LoggedUploadServices(AttemptLog& log, std::function<void(std::uint64_t)> bodyBytesSent = {});

class SystemUpgradeServices final : public UpgradeServices {
public:
    // `bodyBytesSent` is told on the worker's thread how many body bytes the router has taken so far.
    explicit SystemUpgradeServices(std::function<void(std::uint64_t)> bodyBytesSent = {})
        : uploadRunner{SystemUploadStartServices(),
                       LoggedUploadServices(attemptLog, std::move(bodyBytesSent))} {}

    std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) override;
    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) override;
    bool StartUploadJob(const UploadRequest& request, UploadWindow& window) override;
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
    std::int64_t watchMs = kConfirmationWatchMs;
    AttemptLog attemptLog{AttemptLogPath()};  // declared first: the worker writes to it until joined
    // Joins a running worker when the services end; the worker tells the log how the upload ended.
    UploadJobRunner uploadRunner;
};

}  // namespace fwu
