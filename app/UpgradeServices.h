// The router-facing services that the main dialog uses. The program wires in the real ones; the GUI
// tests hand the dialog fakes, so no test of the window touches the network.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "package/FirmwarePackage.h"
#include "router/RouterCheckFields.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadWindow.h"

namespace fwu {

class UpgradeServices {
public:
    virtual ~UpgradeServices() = default;

    // Proposes the router address from the PC's default gateways; never empty. `showMessage` shows a
    // message box owned by the window (gateway discovery reports some cases that way).
    virtual std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) = 0;

    // Checks the router at the typed address with the typed password; false only when the router does
    // not answer the probe or refuses the status request.
    virtual bool CheckRouter(RouterCheckFields& fields) = 0;

    // Starts the upload worker; true when it runs and will post WM_UPGRADE_DONE exactly once, false when
    // nothing was started and nothing will be posted.
    virtual bool StartUploadJob(const UploadRequest& request, UploadWindow& window) = 0;

    // The texts of the carried firmware (model, dates, versions, file name). The program reads its own
    // package; tests give the window texts of their choosing.
    virtual FirmwareInfo LoadFirmwareInfo() { return fwu::LoadFirmwareInfo(); }
};

}  // namespace fwu
