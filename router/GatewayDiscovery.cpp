// Gateway discovery: the adapters' first gateways are probed in order, and a list that yields nothing
// ends with the default address.
#include "router/GatewayDiscovery.h"

#include "res/StringTable.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

void Show(const MessageSink& show, const std::string& text) {
    if (show) {
        show(text);
    }
}

bool Probe(const GatewayProber& probe, const std::string& address) {
    return probe && probe(address);
}

}  // namespace

std::string GatewayFromAdapters(const std::function<platform::AdapterList()>& adapters,
                                const GatewayProber& probe, const MessageSink& show) {
    if (!adapters) {
        return DefaultRouterAddress();
    }
    const platform::AdapterList list = adapters();
    if (list.status == platform::AdapterListStatus::NoAdapters) {
        Show(show, std::string(LoadString(IDS_NO_ADAPTERS)));
        return DefaultRouterAddress();
    }
    if (list.status == platform::AdapterListStatus::Unsupported) {
        Show(show, std::string(LoadString(IDS_ADAPTERS_UNSUPPORTED)));
        return DefaultRouterAddress();
    }
    for (const platform::NetworkAdapter& adapter : list.adapters) {
        // Only the first gateway of each adapter is tried.
        if (!adapter.gateways.empty() && !adapter.gateways.front().empty() &&
            Probe(probe, adapter.gateways.front())) {
            return adapter.gateways.front();
        }
    }
    return DefaultRouterAddress();
}

GatewayDiscoveryServices SystemGatewayDiscoveryServices() {
    GatewayDiscoveryServices tools;
    tools.adapters = platform::ReadAdapterList;
    tools.probe = [](const std::string& address) { return PingHost(address); };
    tools.probeAttempt = [](const std::string& address) { return ProbeHostAttempt(address, kProbeWaitMs); };
    return tools;
}

std::string FindDefaultGateway(const MessageSink& show, const GatewayDiscoveryServices& tools) {
    // Every probe of a candidate is reported with its outcome when a report is wanted.
    GatewayProber probe = tools.probe;
    if (tools.probeAttempt) {
        probe = [&tools](const std::string& candidate) {
            const ProbeAttempt attempt = tools.probeAttempt(candidate);
            if (tools.report) {
                const std::string means(ProbeMeansName(attempt.means));
                tools.report("candidate " + candidate + ": " +
                             (attempt.outcome == ProbeOutcome::Answered ? "answered (" + means + ")"
                              : attempt.outcome == ProbeOutcome::Silent ? "no answer (" + means + ")"
                                                                        : "not probed (" + means + ")"));
            }
            return attempt.outcome == ProbeOutcome::Answered;
        };
    } else if (tools.report && tools.probe) {
        probe = [&tools](const std::string& candidate) {
            const bool answered = tools.probe(candidate);
            tools.report("candidate " + candidate + ": " + (answered ? "answered" : "no answer"));
            return answered;
        };
    }
    const std::string address = GatewayFromAdapters(tools.adapters, probe, show);
    if (tools.report) {
        tools.report("proposed " + address);
    }
    return address;
}

std::string FindDefaultGateway(const MessageSink& show) {
    return FindDefaultGateway(show, SystemGatewayDiscoveryServices());
}

std::string FindDefaultGateway(const MessageSink& show, const MessageSink& report) {
    GatewayDiscoveryServices tools = SystemGatewayDiscoveryServices();
    tools.report = report;
    return FindDefaultGateway(show, tools);
}

}  // namespace fwu
