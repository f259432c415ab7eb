// The router-facing services that the main dialog uses. The program wires in the real ones; the GUI
// tests hand the dialog fakes, so no test of the window touches the network.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/FirmwarePackage.h"
#include "router/RouterCheckFields.h"
#include "transfer/UploadWindow.h"

namespace fwu {

// What the window hands to the upload start: address, firmware file name and password, in this order.
struct UploadRequest {
    std::string routerAddress;
    std::string fileName;
    std::string password;
};

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
