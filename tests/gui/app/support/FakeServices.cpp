#include "tests/gui/app/support/FakeServices.h"

namespace fwu::testing {

std::string FakeServices::FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) {
    ++gatewayLookups;
    for (const std::string& message : gatewayMessages) {
        showMessage(message);
    }
    return gateway;
}

void FakeServices::HoldChecks() {
    const std::lock_guard lock(holdMutex);
    held = true;
}

void FakeServices::ReleaseChecks() {
    {
        const std::lock_guard lock(holdMutex);
        held = false;
    }
    holdChanged.notify_all();
}

bool FakeServices::CarriedImageIntact() {
    ++imageChecks;
    return imageIntact;
}

RouterCheckResult FakeServices::CheckRouter(const RouterAddress& address, const std::string& credential) {
    {
        std::unique_lock lock(holdMutex);
        holdChanged.wait_for(lock, std::chrono::seconds(5), [this] { return !held; });
    }
    checks.push_back({address, credential});
    RouterCheckResult result;
    result.passed = checkResult;
    result.reason = checkReason;
    result.statusLine = checkStatusLine;
    if (checkResult) {
        result.version = routerVersion;
    }
    return result;
}

bool FakeServices::StartUploadJob(const UploadTarget& request, UploadWindow& window) {
    starts.push_back(request);
    if (!startResult) {
        return false;
    }
    uploadWindow = &window;
    if (onStart) {
        onStart(request, window);
    }
    if (worker) {
        JoinUpload();
        workerRunning = true;
        workerThread = std::thread([this, &window] {
            worker(window);
            workerRunning = false;
        });
    }
    return true;
}

void FakeServices::JoinUpload() {
    if (workerThread.joinable()) {
        workerThread.join();
    }
}

}  // namespace fwu::testing
