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

SocketHandle OpenIcmpSocketOfKind(IcmpSocketKind kind, std::uint16_t identifier) {
    const int type = kind == IcmpSocketKind::Raw ? SOCK_RAW : SOCK_DGRAM;
    SocketHandle s = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (s < 0) {
        return kInvalidSocket;
    }
    if (kind == IcmpSocketKind::Datagram) {
        // The kernel takes the echo identifier of a ping socket from its bound port and puts the port's
        // two bytes on the wire as they lie in sin_port. Laying them low byte first keeps the identifier
        // in the order the echo request carries it. Two probes of one process may run at once (the
        // window and the upload worker), so the identifier may be shared.
        const int on = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        const unsigned char port[2] = {static_cast<unsigned char>(identifier & 0xFF),
                                       static_cast<unsigned char>(identifier >> 8)};
        std::memcpy(&local.sin_port, port, sizeof port);
        if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            CloseSocket(s);
        }
    }
    return s;
}

SocketHandle OpenIcmpSocket(std::uint16_t identifier, IcmpSocketKind* kind) {
    for (const IcmpSocketKind candidate : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const SocketHandle s = OpenIcmpSocketOfKind(candidate, identifier);
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
