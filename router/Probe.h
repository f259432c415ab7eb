// Small network operations on the router: the ICMP echo probe, the ARP flush, and the checks and TCP
// connection that the upload start makes. None keeps state between calls; each reports by its result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Icmp.h"
#include "platform/Socket.h"

namespace fwu {

// What one probe of the router found.
enum class ProbeOutcome {
    Answered,  // an echo reply came within the wait
    Silent,    // the request went out and nothing came back within the wait
    NotSent,   // no request could be sent at all (no ICMP socket): says nothing about the router
};

// What sent a probe. They are tried in this order, and the first the process may use serves: a raw ICMP
// socket (root or CAP_NET_RAW), a datagram ICMP socket (the user's group within the kernel's
// net.ipv4.ping_group_range), the probe helper (installed with CAP_NET_RAW), else none.
enum class ProbeMeans { None, RawSocket, DatagramSocket, Helper };

// "raw socket", "datagram socket", "probe helper", "no means of pinging".
std::string_view ProbeMeansName(ProbeMeans means);

// Where the installation puts the probe helper: the libexec folder of the prefix the program was built for
// (/usr/libexec/firmware-upgrade-utility/probe-helper in the package).
extern const char* const kProbeHelperPath;

// The helper every probe of this process uses: kProbeHelperPath unless a test build of the program set
// another; empty for none.
void SetProbeHelperPath(std::string path);
std::string ProbeHelperPath();

// Why the system would not send a request that counts as Silent (the probe helper tells it).
enum class ProbeRefusal {
    None,
    Broadcast,  // the address is a broadcast address of one of this computer's networks
    NoRoute,    // this computer has no route to the address
};

struct ProbeAttempt {
    ProbeOutcome outcome = ProbeOutcome::NotSent;
    ProbeMeans means = ProbeMeans::None;
    ProbeRefusal refusal = ProbeRefusal::None;
};

// The one way every probe goes (router check, gateway discovery, flash wait, confirmation watch): the
// means in the order above, the request and the reply rule of IsReplyToProbe.
ProbeAttempt ProbeHostAttempt(const std::string& address, int waitMs);

// The means that served this process's latest probe (None before any).
ProbeMeans LastProbeMeans();

// Sends one 8-byte ICMP echo request to a dotted IPv4 address and waits up to 1,000 ms for the echo
// reply to it: from that address, with the request's identifier and sequence. True when one arrived
// within the wait; other ICMP traffic is passed over.
bool PingHost(const std::string& address);

// PingHost telling a probe that could not be sent (no ICMP socket may be opened, or the address is
// not one a router can hold) from one that went unanswered.
ProbeOutcome ProbeHost(const std::string& address);
ProbeOutcome ProbeHostWithin(const std::string& address, int waitMs);

// PingHost with another wait, for callers and tests that need a shorter or longer one. An address that
// is not dotted IPv4 text, or that cannot be a router (CanBeRouterAddress), is not sent to and gives
// false at once.
bool PingHostWithin(const std::string& address, int waitMs);

// PingHostWithin through an ICMP socket of the given kind only, so both kinds can be tried where the
// process may open either.
bool PingHostOver(platform::IcmpSocketKind kind, const std::string& address, int waitMs);

// False for addresses no router on the local network can hold, which a probe must never count as
// answered: 0.0.0.0/8 (this host), 127.0.0.0/8 (loopback), 224.0.0.0/4 (multicast) and the broadcast
// address 255.255.255.255.
bool CanBeRouterAddress(const platform::Ipv4Address& address);

// True when a datagram received on the probe's ICMP socket from `sender` is the echo reply to
// `request` sent to `probed`: the sender is the probed address, the message is an echo reply (type 0)
// and carries the request's identifier and sequence bytes. A raw socket's datagram starts with the IP
// header, whose source must be the probed address too; a datagram socket's with the ICMP message.
bool IsReplyToProbe(const unsigned char* datagram, std::size_t length, bool withIpHeader,
                    const platform::Ipv4Address& sender, const platform::Ipv4Address& probed,
                    const std::array<unsigned char, 8>& request);

// The 8-byte echo request: type 8, code 0, checksum, identifier (low 16 bits of `processId`, low byte
// first), sequence 1 (low byte first).
std::array<unsigned char, 8> BuildEchoRequest(std::uint32_t processId);

// The Internet checksum (RFC 1071) over `length` bytes (only its low 16 bits count), 16-bit words read
// low byte first, an odd last byte added as it is.
std::uint16_t IcmpChecksum(const unsigned char* data, int length);

// Starts the system command that removes the address's ARP entry and does not wait for it. A text that
// is not a dotted IPv4 address is never handed to a command.
void FlushArpEntry(const std::string& address);

// The argument vector FlushArpEntry starts: `arpProgram` -d ADDR when an arp program is given, else
// `ipProgram` neigh flush to ADDR; ADDR is the address rewritten in plain dotted form. Empty when the
// text is not a dotted IPv4 address or neither program is given.
std::vector<std::string> ArpFlushCommand(const std::string& address, const std::string& arpProgram,
                                         const std::string& ipProgram);

// What a host lookup found; the values are the lookup's traditional result codes.
enum class HostLookup { Found = 0, NotFound = 2 };

// Found when the text is a dotted IPv4 address or a host name that resolves to one.
HostLookup ResolveHost(const std::string& address);

// Opens a socket of the given kind into *out. 0 on success, 1 when the socket cannot be opened (*out then
// holds the invalid socket), -1 when there is nowhere to put it.
int CreateSocket(platform::SocketHandle* out, platform::SocketKind kind);

// Connects to a dotted IPv4 address (no name lookup) and port, within the connect time-out. 0 or -1.
int ConnectSocket(platform::SocketHandle socket, const std::string& address, std::uint16_t port);

}  // namespace fwu
