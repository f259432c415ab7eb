// The ICMP socket of the reachability probe. A raw ICMP socket where the process may open one (root or
// CAP_NET_RAW); otherwise an unprivileged ICMP datagram socket, where the system allows those.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Socket.h"

namespace fwu::platform {

enum class IcmpSocketKind {
    Raw,       // sees a copy of every ICMP datagram that reaches the host
    Datagram,  // sees the echo replies to its own identifier; the kernel fills in identifier and checksum
};

// Opens an ICMP socket of the given kind. A datagram socket is bound so that the kernel writes
// `identifier` into each echo request low byte first, as a raw socket would carry it from the packet;
// it is never shared with another socket (no SO_REUSEADDR): when that identifier is taken, the kernel
// chooses a free one. `bound` (optional) receives the identifier the requests go out with (for a raw
// socket, `identifier`). kInvalidSocket when the system does not grant that kind.
SocketHandle OpenIcmpSocketOfKind(IcmpSocketKind kind, std::uint16_t identifier,
                                  std::uint16_t* bound = nullptr);

// A raw socket where granted, else a datagram socket; kInvalidSocket when neither is. `kind` (optional)
// tells which one was opened, `bound` (optional) the identifier its requests carry.
SocketHandle OpenIcmpSocket(std::uint16_t identifier, IcmpSocketKind* kind = nullptr,
                            std::uint16_t* bound = nullptr);

// Sends one ICMP message (type, code, checksum, rest as given) to the address. False when the send fails.
bool SendIcmp(SocketHandle socket, const Ipv4Address& to, const unsigned char* message, std::size_t length);

// Receives one datagram of up to `capacity` bytes, waiting at most timeoutMs for it, with the address
// that sent it in `from`. Returns the number of bytes (a longer datagram is cut), kReceiveTimedOut or
// kReceiveError.
long ReceiveIcmp(SocketHandle socket, unsigned char* buffer, std::size_t capacity, int timeoutMs,
                 Ipv4Address& from);

}  // namespace fwu::platform
