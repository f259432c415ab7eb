// The router check as the login page runs it.
#include "router/RouterCheck.h"

#include <chrono>

#include "platform/Secrets.h"
#include "res/StringTable.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"
#include "router/StatusQuery.h"

namespace fwu {

std::string BuildStatusRequest(const std::string& credential) {
    return std::string(LoadString(IDS_STATUS_REQUEST)) + credential + "\r\n\r\n";
}

RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential,
                              const RouterCheckServices& tools) {
    const std::string dotted = address.Dotted();
    if (tools.flushArpEntry) {
        tools.flushArpEntry(dotted);
    }

    RouterCheckResult result;

    platform::Ipv4Address parsed{};
    if (platform::ParseDottedIpv4(dotted, parsed) && !CanBeRouterAddress(parsed)) {
        result.reason = RouterCheckReason::NotRouterAddress;
        return result;
    }
    ProbeAttempt probe{ProbeOutcome::Silent};
    if (tools.probeAttempt) {
        probe = tools.probeAttempt(dotted);
    } else if (tools.probeHost) {
        probe.outcome = tools.probeHost(dotted);
    } else if (tools.pingHost && tools.pingHost(dotted)) {
        probe.outcome = ProbeOutcome::Answered;
    }
    result.probeMeans = probe.means;
    if (probe.outcome != ProbeOutcome::Answered) {
        result.reason = probe.outcome == ProbeOutcome::NotSent     ? RouterCheckReason::PingNotAllowed
                        : probe.refusal == ProbeRefusal::Broadcast ? RouterCheckReason::BroadcastAddress
                        : probe.refusal == ProbeRefusal::NoRoute   ? RouterCheckReason::NoRoute
                                                                   : RouterCheckReason::NoAnswer;
        return result;
    }
    result.passed = true;
    result.reason = RouterCheckReason::ConnectionFailed;
    if (tools.transport == nullptr) {
        return result;  // nothing to ask through: as for a connection that failed
    }

    const StatusClock steady = [] { return std::chrono::steady_clock::now(); };
    std::string request = BuildStatusRequest(credential);
    const platform::WipeOnExit wipeRequest(request);
    const StatusPageAnswer answer =
        ReadStatusPage(*tools.transport, dotted, request, kVersionStartMarker, kVersionEndMarker, steady);
    switch (answer.end) {
        case StatusQueryEnd::Found:
            result.version = answer.version;
            result.reason = RouterCheckReason::VersionRead;
            break;
        case StatusQueryEnd::Refused:
            result.passed = false;
            result.reason = RouterCheckReason::PasswordRefused;
            result.statusLine = answer.statusLine;
            break;
        case StatusQueryEnd::NotStatusPage:
            result.passed = false;
            result.reason = RouterCheckReason::NotStatusPage;
            result.statusLine = answer.statusLine;
            break;
        case StatusQueryEnd::Conflicting:
            result.reason = RouterCheckReason::TwoVersions;
            break;
        case StatusQueryEnd::NoConnection:
            result.reason = RouterCheckReason::ConnectionFailed;
            break;
        case StatusQueryEnd::TimedOut:
            result.reason = RouterCheckReason::NoAnswerInTime;
            break;
        case StatusQueryEnd::NoField:
            result.reason = RouterCheckReason::NoVersionField;
            break;
    }
    return result;
}

RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential) {
    TcpStatusTransport transport;
    RouterCheckServices tools{FlushArpEntry, {}, &transport};
    tools.probeAttempt = [](const std::string& address) { return ProbeHostAttempt(address, kProbeWaitMs); };
    return CheckRouter(address, credential, tools);
}

}  // namespace fwu
