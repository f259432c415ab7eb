// What the simulated router serves and where, written out here rather than taken from the client's
// router/RouterEndpoints.h: the simulator stands for the real router, so a wrong port, path or marker in
// the client must show as a failed lab test, not be copied into the router the client is tested against.
#pragma once

#include <cstdint>
#include <string_view>

namespace fwu::sim {

// The web server's port: the status page and the upgrade handler.
inline constexpr std::uint16_t kRouterHttpPort = 80;

// The status page that carries the firmware version (read with a GET and the Basic credential).
inline constexpr std::string_view kStatusPagePath = "/SysInfo.htm";

// The status line of an accepted status request, byte for byte (HTTP/1.0, a lower-case k).
inline constexpr std::string_view kAcceptedStatus = "HTTP/1.0 200 Ok";

// The version field on the status page: the version stands between these two markers.
inline constexpr std::string_view kVersionStartMarker = "Firmware Version:";
inline constexpr std::string_view kVersionEndMarker = ",";

// The upgrade handler that receives the image as the form field "file".
inline constexpr std::string_view kUpgradeHandlerPath = "upgrade.cgi";

}  // namespace fwu::sim
