// The ICMP echo probe, the ARP flush and the socket checks of the upload start.
#include "router/Probe.h"

#include "platform/Icmp.h"
#include "platform/Process.h"
#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

// One receive of the probe takes at most this much: an IP header, an ICMP message and what it quotes.
constexpr std::size_t kProbeReceiveBytes = 1024;

// Where the system keeps arp and ip when the search path does not name those folders.
const std::vector<std::string> kAdminFolders = {"/usr/sbin", "/sbin"};

}  // namespace

std::uint16_t IcmpChecksum(const unsigned char* data, int length) {
    const unsigned count = static_cast<unsigned>(length) & 0xFFFFu;
    std::uint32_t sum = 0;
    unsigned i = 0;
    for (; i + 1 < count; i += 2) {
        sum += static_cast<std::uint32_t>(data[i]) | (static_cast<std::uint32_t>(data[i + 1]) << 8);
    }
    if (i < count) {
        sum += data[i];
    }
    sum = (sum & 0xFFFFu) + (sum >> 16);
    sum += sum >> 16;
    return static_cast<std::uint16_t>(~sum & 0xFFFFu);
}

std::array<unsigned char, 8> BuildEchoRequest(std::uint32_t processId) {
    std::array<unsigned char, 8> packet{8,
                                        0,
                                        0,
                                        0,
                                        static_cast<unsigned char>(processId & 0xFF),
                                        static_cast<unsigned char>((processId >> 8) & 0xFF),
                                        1,
                                        0};
    const std::uint16_t checksum = IcmpChecksum(packet.data(), static_cast<int>(packet.size()));
    packet[2] = static_cast<unsigned char>(checksum & 0xFF);
    packet[3] = static_cast<unsigned char>(checksum >> 8);
    return packet;
}

bool PingHost(const std::string& address) {
    return PingHostWithin(address, kProbeWaitMs);
}

bool PingHostWithin(const std::string& address, int waitMs) {
    platform::Ipv4Address to{};
    if (!platform::ParseDottedIpv4(address, to)) {
        return false;
    }
    const auto processId = static_cast<std::uint32_t>(platform::CurrentProcessId());
    const std::array<unsigned char, 8> request = BuildEchoRequest(processId);
    platform::SocketHandle socket = platform::OpenIcmpSocket(static_cast<std::uint16_t>(processId & 0xFFFF));
    if (socket == platform::kInvalidSocket) {
        return false;
    }
    // A refused send is not a reason to stop: whatever arrives within the wait still counts.
    platform::SendIcmp(socket, to, request.data(), request.size());
    unsigned char reply[kProbeReceiveBytes];
    const long received = platform::ReceiveSome(socket, reply, sizeof reply, waitMs);
    platform::CloseSocket(socket);
    return received >= 0;
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

int ResolveHost(const std::string& address) {
    platform::Ipv4Address found{};
    return platform::ResolveIpv4(address, found) ? 0 : 2;
}

int CreateSocket(platform::SocketHandle* out, int kind) {
    if (out == nullptr) {
        return -1;
    }
    *out = platform::OpenSocket(kind == 1 ? platform::SocketKind::Stream : platform::SocketKind::Datagram);
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
