// The ICMP echo probe, the ARP flush and the socket checks of the upload start.
#include "router/Probe.h"

#include <algorithm>

#include "platform/Deadline.h"
#include "platform/Icmp.h"
#include "platform/Process.h"
#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

// One receive of the probe takes at most this much: an IP header, an ICMP message and what it quotes.
constexpr std::size_t kProbeReceiveBytes = 1024;

constexpr unsigned char kEchoReplyType = 0;
constexpr unsigned char kIcmpProtocol = 1;

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

bool IsEchoReplyFrom(const unsigned char* datagram, std::size_t length, bool withIpHeader,
                     const platform::Ipv4Address& from) {
    if (!withIpHeader) {
        // A datagram ICMP socket hands over only the ICMP message, and only replies to its own requests.
        return length >= 8 && datagram[0] == kEchoReplyType;
    }
    if (length < 20 || (datagram[0] >> 4) != 4) {
        return false;
    }
    const std::size_t headerLength = static_cast<std::size_t>(datagram[0] & 0x0F) * 4;
    if (headerLength < 20 || length < headerLength + 8 || datagram[9] != kIcmpProtocol) {
        return false;
    }
    const bool fromTarget = std::equal(from.begin(), from.end(), datagram + 12);
    return fromTarget && datagram[headerLength] == kEchoReplyType;
}

bool PingHostWithin(const std::string& address, int waitMs) {
    platform::Ipv4Address to{};
    if (!platform::ParseDottedIpv4(address, to)) {
        return false;
    }
    const auto processId = static_cast<std::uint32_t>(platform::CurrentProcessId());
    const std::array<unsigned char, 8> request = BuildEchoRequest(processId);
    platform::IcmpSocketKind kind{};
    platform::SocketHandle socket =
        platform::OpenIcmpSocket(static_cast<std::uint16_t>(processId & 0xFFFF), &kind);
    if (socket == platform::kInvalidSocket) {
        return false;
    }
    // A refused send is not a reason to stop: a reply may still arrive within the wait. Only an echo
    // reply from the probed address counts: a raw socket also sees every other ICMP message reaching the
    // host, such as the "host unreachable" the system reports itself when nobody holds the address.
    platform::SendIcmp(socket, to, request.data(), request.size());
    const platform::Deadline deadline(waitMs);
    bool answered = false;
    while (!answered && !deadline.Expired()) {
        unsigned char reply[kProbeReceiveBytes];
        const long received = platform::ReceiveSome(socket, reply, sizeof reply, deadline.RemainingMs());
        if (received < 0) {
            break;
        }
        answered = IsEchoReplyFrom(reply, static_cast<std::size_t>(received),
                                   kind == platform::IcmpSocketKind::Raw, to);
    }
    platform::CloseSocket(socket);
    return answered;
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
