// Proposing the router's address at start-up: the first of the PC's default gateways that answers a
// probe, else the default address. The gateways come from the adapter list (the kernel's IPv4 routing
// table).
#pragma once

#include <functional>
#include <string>

#include "platform/Adapters.h"
#include "router/Probe.h"

namespace fwu {

using GatewayProber = std::function<bool(const std::string& address)>;
using MessageSink = std::function<void(const std::string& text)>;

// The first gateway of each adapter, in order, probed; the first that answers, else the default
// address. An empty list or a system without one is reported through `show`.
std::string GatewayFromAdapters(const std::function<platform::AdapterList()>& adapters,
                                const GatewayProber& probe, const MessageSink& show);

// What gateway discovery uses from the system; tests replace any of it.
struct GatewayDiscoveryServices {
    std::function<platform::AdapterList()> adapters;
    GatewayProber probe;
    // When set, used instead of `probe`: tells what sent the probe, and a candidate that could not be
    // probed at all from one that did not answer.
    std::function<ProbeAttempt(const std::string& address)> probeAttempt = {};
    // Told each candidate with its probe's outcome ("candidate 10.0.0.138: answered", with
    // probeAttempt "candidate 10.0.0.138: answered (raw socket)" or "...: not probed (no means of
    // pinging)"), then the address
    // proposed ("proposed 10.0.0.138"); may be empty. For the log of the attempt.
    MessageSink report;
};

// The system's own tools: its adapter list and the ICMP probe.
GatewayDiscoveryServices SystemGatewayDiscoveryServices();

// The proposed router address, never empty: the adapters' gateways probed in order.
std::string FindDefaultGateway(const MessageSink& show, const GatewayDiscoveryServices& tools);

// FindDefaultGateway with the system's own tools.
std::string FindDefaultGateway(const MessageSink& show);

// FindDefaultGateway with the system's own tools, telling `report` the candidates, probes and proposal.
std::string FindDefaultGateway(const MessageSink& show, const MessageSink& report);

}  // namespace fwu
