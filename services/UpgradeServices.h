// The services a front end starts a run with: the run's steps (UpgradeStepServices) and what comes before
// the run (the proposed address, the carried firmware's texts) and beside it (the attempt log). The
// program wires in the real ones; the GUI tests hand the window fakes, so no test of it touches the network.
#pragma once

#include <functional>
#include <string>

#include "package/FirmwarePackage.h"
#include "upgrade/AttemptLog.h"
#include "upgrade/UpgradeRun.h"

namespace fwu {

class UpgradeServices : public UpgradeStepServices {
public:
    // Proposes the router address from the PC's default gateways; never empty. `showMessage` tells the
    // user what gateway discovery reports that way (a message box, or a line on standard error).
    virtual std::string FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) = 0;

    // The texts of the carried firmware (model, dates, versions, file name). The program reads its own
    // package; tests give the window texts of their choosing.
    virtual FirmwareInfo LoadFirmwareInfo() { return fwu::LoadFirmwareInfo(); }

    // The log of this attempt; none (the default) writes no log.
    virtual AttemptLog* Log() { return nullptr; }
};

}  // namespace fwu
