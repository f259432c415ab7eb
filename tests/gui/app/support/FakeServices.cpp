#include "tests/gui/app/support/FakeServices.h"

#include "ui/LoginFields.h"

namespace fwu::testing {

std::string FakeServices::FindDefaultGateway(const std::function<void(const std::string&)>& showMessage) {
    ++gatewayLookups;
    for (const std::string& message : gatewayMessages) {
        showMessage(message);
    }
    return gateway;
}

bool FakeServices::CheckRouter(RouterCheckFields& fields) {
    checks.push_back(fields);
    // The real check refreshes the stored values from the typed fields whatever its outcome.
    const LoginValues values = FormatAddress(fields.passwordFieldText, fields.octetFieldText);
    fields.password = values.password;
    fields.octetText = values.octetText;
    fields.routerAddress = values.routerAddress;
    if (duringCheck) {
        duringCheck(fields);
    }
    if (checkResult && routerVersion) {
        fields.routerVersion = *routerVersion;
    }
    return checkResult;
}

bool FakeServices::StartUploadJob(const UploadRequest& request, UploadWindow& window) {
    starts.push_back(request);
    if (!startResult) {
        return false;
    }
    uploadWindow = &window;
    if (onStart) {
        onStart(request, window);
    }
    return true;
}

}  // namespace fwu::testing
