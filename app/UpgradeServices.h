// The router-facing services that the main dialog and its upgrade sequence use. The program wires in the real
// ones; the GUI tests hand the dialog fakes, so no test of the window touches the network.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "package/FirmwarePackage.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/ConfirmationWatch.h"
#include "upgrade/UpgradeSequence.h"

namespace fwu {

class UpgradeServices : public UpgradeStepServices {
public:
    // Proposes the router address from the PC's default gateways; never empty. `showMessage` shows a
    // message box owned by the window (gateway discovery reports some cases that way).
    virtual std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) = 0;

    // The texts of the carried firmware (model, dates, versions, file name). The program reads its own
    // package; tests give the window texts of their choosing.
    virtual FirmwareInfo LoadFirmwareInfo() { return fwu::LoadFirmwareInfo(); }

    // The log of this attempt; none (the default) writes no log.
    virtual AttemptLog* Log() { return nullptr; }

    // What the success page's watch of the router uses; the default has no probe, so no watch runs.
    virtual ConfirmationWatchServices WatchServices() { return {}; }
};

}  // namespace fwu
