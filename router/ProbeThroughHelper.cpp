// The probe through the probe helper, the installed program that alone holds CAP_NET_RAW: the way of a
// process that may open neither a raw nor a datagram ICMP socket.
#include <mutex>
#include <string>
#include <utility>

#include "platform/ProbeHelper.h"
#include "router/ProbeFallback.h"

namespace fwu {

const char* const kProbeHelperPath = FWU_PROBE_HELPER_PATH;

namespace {

std::mutex helperPathMutex;
std::string helperPath = kProbeHelperPath;

}  // namespace

void SetProbeHelperPath(std::string path) {
    const std::lock_guard<std::mutex> lock(helperPathMutex);
    helperPath = std::move(path);
}

std::string ProbeHelperPath() {
    const std::lock_guard<std::mutex> lock(helperPathMutex);
    return helperPath;
}

ProbeAttempt ProbeWithoutSocket(const platform::Ipv4Address& to, std::uint16_t identifier, int waitMs) {
    switch (platform::ProbeThroughHelper(ProbeHelperPath(), platform::FormatIpv4(to), identifier, waitMs)) {
        case platform::HelperProbe::Answered:
            return {ProbeOutcome::Answered, ProbeMeans::Helper};
        case platform::HelperProbe::Silent:
            return {ProbeOutcome::Silent, ProbeMeans::Helper};
        case platform::HelperProbe::Broadcast:
            return {ProbeOutcome::Silent, ProbeMeans::Helper, ProbeRefusal::Broadcast};
        case platform::HelperProbe::NoRoute:
            return {ProbeOutcome::Silent, ProbeMeans::Helper, ProbeRefusal::NoRoute};
        case platform::HelperProbe::Unavailable:
            break;
    }
    return {};
}

}  // namespace fwu
