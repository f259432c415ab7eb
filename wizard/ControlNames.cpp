// The names of the face's controls for assistive technology, by object name.
#include "wizard/ControlNames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace fwu {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kControlNames{{
    {kPasswordFieldObject, "Router's Password"},
    {"octetField1", "Router's IP Address, part 1"},
    {"octetField2", "Router's IP Address, part 2"},
    {"octetField3", "Router's IP Address, part 3"},
    {"octetField4", "Router's IP Address, part 4"},
    {"releaseDateLabel", "Release Date"},
    {"firmwareDateLabel", "Firmware Date"},
    {"modelLabel", "Model"},
    {"routerVersionLabel", "Current firmware version"},
    {"utilityVersionLabel", "Upgrade firmware version"},
    {"routerAddressLabel", "Router's IP Address"},
    {"stripBar", "Upgrade progress"},
    {"confirmationLabel", "Router's version after the restart"},
}};

}  // namespace

std::string OctetFieldObject(int index) {
    return "octetField" + std::to_string(index + 1);
}

std::string_view AccessibleControlName(std::string_view objectName) {
    const auto known = std::find_if(kControlNames.begin(), kControlNames.end(),
                                    [&](const auto& entry) { return entry.first == objectName; });
    return known != kControlNames.end() ? known->second : std::string_view();
}

}  // namespace fwu
