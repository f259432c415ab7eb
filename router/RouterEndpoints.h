// What the utility sends to the router and relies on from it, in one place: the address proposed when no
// gateway answers, the web server's port, the status page and its marked version field, the upgrade
// handler and the probe's wait. The client's probe, gateway discovery, status query, router check, watch
// after the restart and upload take these from here. The simulated router (tools/router-sim) takes
// nothing from here: it holds its own copy of these facts (tools/router-sim/RouterFacts.h), so a wrong
// value here makes a lab test fail instead of being served back by the router the client is tested with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "res/StringTable.h"

namespace fwu {

// The router's web server (status page and upgrade handler).
inline constexpr std::uint16_t kRouterHttpPort = 80;

// The status page that carries the firmware version; read with a GET and the Basic credential.
inline constexpr std::string_view kStatusPagePath = "/SysInfo.htm";

// The status line that the first received block must contain for the password to count as accepted
// (exact bytes: HTTP/1.0 and a lower-case k).
inline constexpr std::string_view kAcceptedStatus = "HTTP/1.0 200 Ok";

// The version field on the status page: the text between these two markers.
inline constexpr std::string_view kVersionStartMarker = "Firmware Version:";
inline constexpr std::string_view kVersionEndMarker = ",";

// The upgrade handler that receives the image as the form field "file".
inline constexpr std::string_view kUpgradeHandlerPath = "upgrade.cgi";

// How long one ICMP probe waits for anything to come back.
inline constexpr int kProbeWaitMs = 1000;

// The address proposed when no gateway answers (string 1002).
inline std::string DefaultRouterAddress() {
    return std::string(LoadString(IDS_DEFAULT_ROUTER));
}

}  // namespace fwu
