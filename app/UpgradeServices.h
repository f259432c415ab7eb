// The router-facing services that the main dialog uses. The program wires in the real ones; the GUI
// tests hand the dialog fakes, so no test of the window touches the network.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/FirmwarePackage.h"
#include "router/RouterCheck.h"
#include "transfer/UploadJobRequest.h"
#include "transfer/UploadWindow.h"

namespace fwu {

class UpgradeServices {
public:
    virtual ~UpgradeServices() = default;

    // Proposes the router address from the PC's default gateways; never empty. `showMessage` shows a
    // message box owned by the window (gateway discovery reports some cases that way).
    virtual std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) = 0;

    // Checks the router at the address with the password (see fwu::CheckRouter). Runs on a thread of its
    // own while the window waits.
    virtual RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& password) = 0;

    // Starts the upload worker; true when it runs and will post WM_UPGRADE_DONE exactly once, false when
    // nothing was started and nothing will be posted.
    virtual bool StartUploadJob(const UploadRequest& request, UploadWindow& window) = 0;

    // True while a worker started by StartUploadJob may still call the window; JoinUpload then waits for
    // its thread, which by then no longer waits for the window.
    virtual bool UploadRunning() = 0;
    virtual void JoinUpload() = 0;

    // True when the carried firmware image is there and matches its digest, so an upload could send it.
    virtual bool CarriedImageIntact() = 0;

    // The texts of the carried firmware (model, dates, versions, file name). The program reads its own
    // package; tests give the window texts of their choosing.
    virtual FirmwareInfo LoadFirmwareInfo() { return fwu::LoadFirmwareInfo(); }
};

}  // namespace fwu
