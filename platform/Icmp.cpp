// ICMP sockets on Linux: SOCK_RAW needs CAP_NET_RAW; SOCK_DGRAM/IPPROTO_ICMP ("ping sockets") needs the
// caller's group within net.ipv4.ping_group_range.
#include "platform/Icmp.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/Deadline.h"
#include "platform/ReceiveWithin.h"

namespace fwu::platform {

namespace {

// The identifier as the port of a ping socket: its two bytes as the echo request carries them.
in_port_t IdentifierPort(std::uint16_t identifier) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(identifier & 0xFF),
                                    static_cast<unsigned char>(identifier >> 8)};
    in_port_t port = 0;
    std::memcpy(&port, bytes, sizeof bytes);
    return port;
}

std::uint16_t PortIdentifier(in_port_t port) {
    unsigned char bytes[2];
    std::memcpy(bytes, &port, sizeof bytes);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool BindPort(SocketHandle s, in_port_t port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = port;
    return ::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

}  // namespace

SocketHandle OpenIcmpSocketOfKind(IcmpSocketKind kind, std::uint16_t identifier, std::uint16_t* bound) {
    const int type = kind == IcmpSocketKind::Raw ? SOCK_RAW : SOCK_DGRAM;
    SocketHandle s = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (s < 0) {
        return kInvalidSocket;
    }
    std::uint16_t used = identifier;
    if (kind == IcmpSocketKind::Datagram) {
        // The kernel takes the echo identifier of a ping socket from its bound port and puts the port's
        // two bytes on the wire as they lie in sin_port. The identifier is this socket's alone: a
        // shared one would hand its replies to whichever socket (of any user) also holds it. When it is
        // taken (another probe of this process, or someone else), port 0 lets the kernel choose, and the
        // request must then carry the identifier actually bound.
        // Ping sockets are created willing to share their port (the kernel marks them reusable), so
        // the sharing is switched off before the bind: then neither this socket nor a later one can bind
        // to an identifier that another holds.
        const int off = 0;
        if (::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &off, sizeof off) != 0) {
            CloseSocket(s);
            return kInvalidSocket;
        }
        if (!BindPort(s, IdentifierPort(identifier)) && (errno != EADDRINUSE || !BindPort(s, 0))) {
            CloseSocket(s);
            return kInvalidSocket;
        }
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) != 0 || length < sizeof local) {
            CloseSocket(s);
            return kInvalidSocket;
        }
        used = PortIdentifier(local.sin_port);
    }
    if (bound != nullptr) {
        *bound = used;
    }
    return s;
}

SocketHandle OpenIcmpSocket(std::uint16_t identifier, IcmpSocketKind* kind, std::uint16_t* bound) {
    for (const IcmpSocketKind candidate : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const SocketHandle s = OpenIcmpSocketOfKind(candidate, identifier, bound);
        if (s != kInvalidSocket) {
            if (kind != nullptr) {
                *kind = candidate;
            }
            return s;
        }
    }
    return kInvalidSocket;
}

bool SendIcmp(SocketHandle socket, const Ipv4Address& to, const unsigned char* message, std::size_t length) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    std::memcpy(&sa.sin_addr, to.data(), to.size());
    return ::sendto(socket, message, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa),
                    sizeof sa) == static_cast<ssize_t>(length);
}

long ReceiveIcmp(SocketHandle socket, unsigned char* buffer, std::size_t capacity, int timeoutMs,
                 Ipv4Address& from) {
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const long n = ReceiveWithin(socket, timeoutMs, [&] {
        senderLength = sizeof sender;
        return ::recvfrom(socket, buffer, capacity, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender),
                          &senderLength);
    });
    if (n >= 0) {
        if (senderLength < sizeof sender || sender.sin_family != AF_INET) {
            from = Ipv4Address{};  // no IPv4 sender: matches no address a probe is sent to
        } else {
            std::memcpy(from.data(), &sender.sin_addr, from.size());
        }
    }
    return n;
}

}  // namespace fwu::platform
