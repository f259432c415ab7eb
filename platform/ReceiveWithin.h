// The receive loop the TCP and ICMP sockets share: wait until bytes are there or the time is up, then take
// them with one non-blocking call. For the platform layer's own sources only.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#include <sys/types.h>

#include <cerrno>
#endif

#include "platform/Deadline.h"
#include "platform/Socket.h"

namespace fwu::platform {

namespace socket_wait {
#ifdef _WIN32
// Winsock: WSAPoll, and no call is interrupted by a signal.
inline int WaitReadable(SocketHandle socket, int timeoutMs) {
    WSAPOLLFD pfd{static_cast<SOCKET>(socket), POLLRDNORM, 0};
    return ::WSAPoll(&pfd, 1, timeoutMs);
}
inline bool Interrupted() {
    return false;
}
inline bool WouldBlock() {
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}
#else
inline int WaitReadable(SocketHandle socket, int timeoutMs) {
    pollfd pfd{socket, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs);
}
inline bool Interrupted() {
    return errno == EINTR;
}
inline bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}
#endif
}  // namespace socket_wait

// `receive` makes one non-blocking receive and answers as recv does (a count, or -1 with the error set).
// Answers the count, kReceiveTimedOut once `timeoutMs` has passed, or kReceiveError.
template <typename Receive>
long ReceiveWithin(SocketHandle socket, int timeoutMs, Receive receive) {
    if (socket == kInvalidSocket) {
        return kReceiveError;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        const int ready = socket_wait::WaitReadable(socket, deadline.RemainingMs());
        if (ready < 0 && socket_wait::Interrupted()) {
            continue;
        }
        if (ready < 0) {
            return kReceiveError;
        }
        if (ready == 0) {
            return kReceiveTimedOut;
        }
        const auto n = receive();
        if (n >= 0) {
            return static_cast<long>(n);
        }
        // Woken for nothing (another reader, a datagram dropped by a checksum): wait again while time is
        // left.
        if (!socket_wait::Interrupted() && !socket_wait::WouldBlock()) {
            return kReceiveError;
        }
        if (deadline.Expired()) {
            return kReceiveTimedOut;
        }
    }
}

}  // namespace fwu::platform
