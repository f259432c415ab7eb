// The receive loop the TCP and ICMP sockets share: wait until bytes are there or the time is up, then take
// them with one non-blocking call. For the platform layer's own sources only.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cerrno>

#include "platform/Deadline.h"
#include "platform/Socket.h"

namespace fwu::platform {

// `receive` makes one non-blocking receive and answers as recv does (a count, or -1 with errno set).
// Answers the count, kReceiveTimedOut once `timeoutMs` has passed, or kReceiveError.
template <typename Receive>
long ReceiveWithin(SocketHandle socket, int timeoutMs, Receive receive) {
    if (socket == kInvalidSocket) {
        return kReceiveError;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        pollfd pfd{socket, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, deadline.RemainingMs());
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return kReceiveError;
        }
        if (ready == 0) {
            return kReceiveTimedOut;
        }
        const ssize_t n = receive();
        if (n >= 0) {
            return static_cast<long>(n);
        }
        // Woken for nothing (another reader, a datagram dropped by a checksum): wait again while time is
        // left.
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return kReceiveError;
        }
        if (deadline.Expired()) {
            return kReceiveTimedOut;
        }
    }
}

}  // namespace fwu::platform
