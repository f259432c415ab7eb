// The ICMP echo probe, the ARP flush and the socket checks of the upload start.
#include "router/Probe.h"

#include <atomic>

#include "platform/Deadline.h"
#include "platform/Icmp.h"
#include "platform/Process.h"
#include "probehelper/EchoRules.h"
#include "router/ProbeFallback.h"
#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

// One receive of the probe takes at most this much: an IP header, an ICMP message and what it quotes.
constexpr std::size_t kProbeReceiveBytes = 1024;

// Where the system keeps arp and ip when the search path does not name those folders.
const std::vector<std::string> kAdminFolders = {"/usr/sbin", "/sbin"};

}  // namespace

std::uint16_t IcmpChecksum(const unsigned char* data, int length) {
    return echo::Checksum(data, length);
}

std::array<unsigned char, 8> BuildEchoRequest(std::uint32_t processId) {
    return echo::BuildRequest(processId);
}

bool PingHost(const std::string& address) {
    return PingHostWithin(address, kProbeWaitMs);
}

bool CanBeRouterAddress(const platform::Ipv4Address& address) {
    return echo::CanBeRouterAddress(address);
}

bool IsReplyToProbe(const unsigned char* datagram, std::size_t length, bool withIpHeader,
                    const platform::Ipv4Address& sender, const platform::Ipv4Address& probed,
                    const std::array<unsigned char, 8>& request) {
    return echo::IsReply(datagram, length, withIpHeader, sender, probed, request);
}

std::string_view ProbeMeansName(ProbeMeans means) {
    switch (means) {
        case ProbeMeans::RawSocket:
            return "raw socket";
        case ProbeMeans::DatagramSocket:
            return "datagram socket";
        case ProbeMeans::Helper:
            return "probe helper";
        case ProbeMeans::None:
            break;
    }
    return "no means of pinging";
}

namespace {

std::atomic<ProbeMeans> lastMeans{ProbeMeans::None};

}  // namespace

ProbeMeans LastProbeMeans() {
    return lastMeans.load();
}

namespace {

// Sends the echo request through an open ICMP socket of that kind and waits for its reply; closes the
// socket. A refused send is not a reason to stop: a reply may still arrive within the wait. Only the
// reply to this request counts: a raw socket also sees every other ICMP message reaching the host, such
// as the "host unreachable" the system reports itself when nobody holds the address, and a datagram
// socket every echo reply that carries its identifier, from whichever sender.
bool ProbeThrough(platform::SocketHandle socket, platform::IcmpSocketKind kind,
                  const platform::Ipv4Address& to, const std::array<unsigned char, 8>& request, int waitMs) {
    platform::SendIcmp(socket, to, request.data(), request.size());
    const platform::Deadline deadline(waitMs);
    bool answered = false;
    while (!answered && !deadline.Expired()) {
        unsigned char reply[kProbeReceiveBytes];
        platform::Ipv4Address sender{};
        const long received =
            platform::ReceiveIcmp(socket, reply, sizeof reply, deadline.RemainingMs(), sender);
        if (received < 0) {
            break;
        }
        answered = IsReplyToProbe(reply, static_cast<std::size_t>(received),
                                  kind == platform::IcmpSocketKind::Raw, sender, to, request);
    }
    platform::CloseSocket(socket);
    return answered;
}

// The probe's destination, or nothing when the text is no address a router can hold.
bool ProbeTarget(const std::string& address, platform::Ipv4Address& to) {
    return platform::ParseDottedIpv4(address, to) && CanBeRouterAddress(to);
}

std::uint16_t ProbeIdentifier() {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(platform::CurrentProcessId()) & 0xFFFF);
}

}  // namespace

ProbeAttempt ProbeHostAttempt(const std::string& address, int waitMs) {
    platform::Ipv4Address to{};
    if (!ProbeTarget(address, to)) {
        return {};
    }
    const std::uint16_t identifier = ProbeIdentifier();
    platform::IcmpSocketKind kind{};
    std::uint16_t bound = identifier;
    ProbeAttempt attempt;
    const platform::SocketHandle socket = platform::OpenIcmpSocket(identifier, &kind, &bound);
    if (socket != platform::kInvalidSocket) {
        attempt.means =
            kind == platform::IcmpSocketKind::Raw ? ProbeMeans::RawSocket : ProbeMeans::DatagramSocket;
        attempt.outcome = ProbeThrough(socket, kind, to, BuildEchoRequest(bound), waitMs)
                              ? ProbeOutcome::Answered
                              : ProbeOutcome::Silent;
    } else {
        attempt = ProbeWithoutSocket(to, identifier, waitMs);
    }
    lastMeans.store(attempt.means);
    return attempt;
}

ProbeOutcome ProbeHostWithin(const std::string& address, int waitMs) {
    return ProbeHostAttempt(address, waitMs).outcome;
}

ProbeOutcome ProbeHost(const std::string& address) {
    return ProbeHostWithin(address, kProbeWaitMs);
}

bool PingHostWithin(const std::string& address, int waitMs) {
    return ProbeHostWithin(address, waitMs) == ProbeOutcome::Answered;
}

bool PingHostOver(platform::IcmpSocketKind kind, const std::string& address, int waitMs) {
    platform::Ipv4Address to{};
    if (!ProbeTarget(address, to)) {
        return false;
    }
    std::uint16_t bound = 0;
    const platform::SocketHandle socket = platform::OpenIcmpSocketOfKind(kind, ProbeIdentifier(), &bound);
    if (socket == platform::kInvalidSocket) {
        return false;
    }
    return ProbeThrough(socket, kind, to, BuildEchoRequest(bound), waitMs);
}

std::vector<std::string> ArpFlushCommand(const std::string& address, const std::string& arpProgram,
                                         const std::string& ipProgram) {
    platform::Ipv4Address parsed{};
    if (!platform::ParseDottedIpv4(address, parsed)) {
        return {};
    }
    // The plain form, so that no program reads a leading zero as an octal digit.
    const std::string plain = platform::FormatIpv4(parsed);
    if (!arpProgram.empty()) {
        return {arpProgram, "-d", plain};
    }
    if (!ipProgram.empty()) {
        return {ipProgram, "neigh", "flush", "to", plain};
    }
    return {};
}

void FlushArpEntry(const std::string& address) {
    platform::Ipv4Address parsed{};
    if (!platform::ParseDottedIpv4(address, parsed)) {
        return;
    }
    const std::string arp = platform::FindProgram("arp", kAdminFolders);
    const std::string ip = arp.empty() ? platform::FindProgram("ip", kAdminFolders) : std::string();
    const std::vector<std::string> command = ArpFlushCommand(address, arp, ip);
    if (!command.empty()) {
        platform::StartDetached(command);
    }
}

HostLookup ResolveHost(const std::string& address) {
    platform::Ipv4Address found{};
    return platform::ResolveIpv4(address, found) ? HostLookup::Found : HostLookup::NotFound;
}

int CreateSocket(platform::SocketHandle* out, platform::SocketKind kind) {
    if (out == nullptr) {
        return -1;
    }
    *out = platform::OpenSocket(kind);
    return *out == platform::kInvalidSocket ? 1 : 0;
}

int ConnectSocket(platform::SocketHandle socket, const std::string& address, std::uint16_t port) {
    platform::Ipv4Address to{};
    if (!platform::ParseDottedIpv4(address, to)) {
        return -1;
    }
    return platform::ConnectWithTimeout(socket, to, port) ? 0 : -1;
}

}  // namespace fwu
