// Router services for tests of the main window: scripted answers, every call recorded, no network.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/UpgradeServices.h"

namespace fwu::testing {

class FakeServices : public UpgradeServices {
public:
    // Scripted answers.
    std::string gateway = "192.168.1.1";
    std::vector<std::string> gatewayMessages;  // shown through the window while the gateway is found
    FirmwareInfo firmware{"NOV 27, 2006", "v2.00.22", "ZPR8800N", "NOV 27,2006",
                          "ZPR8800N_2.00.22_ETSI_code.bin"};
    bool checkResult = true;
    std::optional<std::string> routerVersion = "v2.00.22";      // nothing: the status page gave no version
    std::function<void(const RouterCheckFields&)> duringCheck;  // runs while the check "blocks"
    bool startResult = true;
    std::function<void(const UploadRequest&, UploadWindow&)> onStart;  // runs when a start succeeds

    // Recorded calls.
    int gatewayLookups = 0;
    std::vector<RouterCheckFields> checks;  // as handed in
    std::vector<UploadRequest> starts;      // every start, also the failed ones
    UploadWindow* uploadWindow = nullptr;   // the window of the last start

    std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) override;
    bool CheckRouter(RouterCheckFields& fields) override;
    bool StartUploadJob(const UploadRequest& request, UploadWindow& window) override;
    FirmwareInfo LoadFirmwareInfo() override { return firmware; }
};

}  // namespace fwu::testing
