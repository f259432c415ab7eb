// Windows has no probe helper: the system's ICMP service answers every user, so a probe that finds no
// ICMP handle has no other way and reports that nothing was sent.
#include <string>

#include "router/ProbeFallback.h"

namespace fwu {

const char* const kProbeHelperPath = "";

void SetProbeHelperPath(std::string /*path*/) {}

std::string ProbeHelperPath() {
    return {};
}

ProbeAttempt ProbeWithoutSocket(const platform::Ipv4Address& /*to*/, std::uint16_t /*identifier*/,
                                int /*waitMs*/) {
    return {};
}

}  // namespace fwu
