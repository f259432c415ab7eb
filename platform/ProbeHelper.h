// The probe helper (probe-helper, a separate program that holds CAP_NET_RAW) as the program reaches it:
// started with an argument vector and an empty environment, one byte asked on its input, one byte
// answered on its output, all within a bounded wait; a helper that overruns it is killed and reaped.
#pragma once

#include <cstdint>
#include <string>

namespace fwu::platform {

enum class HelperProbe {
    Answered,     // the helper saw the echo reply within its wait
    Silent,       // the helper sent the request and saw no reply
    Broadcast,    // the system refused the request: the address is a broadcast address of its networks
    NoRoute,      // the system has no route to the address: nothing was sent
    Unavailable,  // no helper at the path, it refused the address or could not open its socket, or it
                  // said nothing within the wait: nothing is known of the router
};

// Starts `helperPath` ADDRESS IDENTIFIER, asks for one probe, and waits at most waitMs plus the helper's
// start-up allowance for its answer.
HelperProbe ProbeThroughHelper(const std::string& helperPath, const std::string& dottedAddress,
                               std::uint16_t identifier, int waitMs);

}  // namespace fwu::platform
