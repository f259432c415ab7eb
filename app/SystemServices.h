// The program's own router services: the real gateway discovery, router check and upload start.
#pragma once

#include "app/UpgradeServices.h"
#include "transfer/UploadJobRunner.h"

namespace fwu {

class SystemUpgradeServices final : public UpgradeServices {
public:
    std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) override;
    RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) override;
    bool StartUploadJob(const UploadRequest& request, UploadWindow& window) override;
    bool UploadRunning() override { return uploadRunner.Running(); }
    void JoinUpload() override { uploadRunner.Join(); }
    bool CarriedImageIntact() override;
    bool UploadStoppable() override { return uploadRunner.Stoppable(); }
    void StopUpload() override { uploadRunner.Stop(); }

private:
    UploadJobRunner uploadRunner;  // joins a running worker when the services end
};

}  // namespace fwu
