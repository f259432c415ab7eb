// POSIX sockets behind platform/Socket.h. Every wait goes through poll() with a deadline, so no call
// here blocks longer than its caller allowed.
#include "platform/Socket.h"

#include <arpa/inet.h>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Deadline.h"
#include "platform/FileDescriptor.h"
#include "platform/ReceiveWithin.h"

namespace fwu::platform {
namespace {

// Longest text handed to the name lookup (a full domain name has at most 253 characters).
constexpr std::size_t kMaxHostNameLength = 253;

sockaddr_in MakeAddress(const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr, address.data(), address.size());
    return sa;
}

bool SetNonBlocking(SocketHandle socket, bool on) {
    const int flags = ::fcntl(socket, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    const int wanted = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return wanted == flags || ::fcntl(socket, F_SETFL, wanted) == 0;
}

}  // namespace

void CloseSocket(SocketHandle& socket) {
    if (socket != kInvalidSocket) {
        ::close(socket);
        socket = kInvalidSocket;
    }
}

bool ResolveIpv4(const std::string& host, Ipv4Address& out) {
    if (ParseDottedIpv4(host, out)) {
        return true;
    }
    if (host.empty() || host.size() > kMaxHostNameLength || host.find('\0') != std::string::npos) {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    bool ok = false;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            const auto* sa = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            std::memcpy(out.data(), &sa->sin_addr, out.size());
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

SocketHandle OpenSocket(SocketKind kind) {
    const int type = kind == SocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    const int protocol = kind == SocketKind::Stream ? IPPROTO_TCP : 0;
    const int s = ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
    return s < 0 ? kInvalidSocket : s;
}

bool ConnectWithTimeout(SocketHandle socket, const Ipv4Address& address, std::uint16_t port, int timeoutMs) {
    if (socket == kInvalidSocket || !SetNonBlocking(socket, true)) {
        return false;
    }
    const sockaddr_in sa = MakeAddress(address, port);
    bool connected = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) {
        connected = true;
    } else if (errno == EINPROGRESS || errno == EINTR) {
        const Deadline deadline(timeoutMs);
        pollfd pfd{socket, POLLOUT, 0};
        if (RetryOnInterrupt([&] { return ::poll(&pfd, 1, deadline.RemainingMs()); }) > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            connected = ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
    }
    return SetNonBlocking(socket, false) && connected;
}

bool SendAll(SocketHandle socket, const void* data, std::size_t length, int timeoutMs) {
    return SendAllUnless(socket, data, length, timeoutMs, nullptr);
}

bool SendAllUnless(SocketHandle socket, const void* data, std::size_t length, int timeoutMs,
                   const std::atomic<bool>* stop) {
    if (socket == kInvalidSocket) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Deadline deadline(timeoutMs);
    std::size_t sent = 0;
    while (sent < length) {
        if (stop != nullptr && stop->load()) {
            return false;
        }
        // The socket mostly has room: sending first saves a wait, a system call per piece of a paced
        // upload, which is most of what the program does while it runs.
        const ssize_t n = RetryOnInterrupt(
            [&] { return ::send(socket, bytes + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT); });
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            return false;
        }
        // No room: wait for it. With a stop to watch, the wait is cut into slices so the stop is seen in
        // time, and an interrupted wait looks at the stop before it waits again.
        const int wait =
            stop != nullptr ? std::min(deadline.RemainingMs(), kStopCheckMs) : deadline.RemainingMs();
        pollfd pfd{socket, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0 && stop != nullptr && !deadline.Expired()) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
    }
    return true;
}

long ReceiveSome(SocketHandle socket, void* buffer, std::size_t capacity, int timeoutMs) {
    return ReceiveWithin(socket, timeoutMs, [&] { return ::recv(socket, buffer, capacity, MSG_DONTWAIT); });
}

SocketHandle OpenListeningSocket(const Ipv4Address& address, std::uint16_t port, int backlog) {
    SocketHandle s = OpenSocket(SocketKind::Stream);
    if (s == kInvalidSocket) {
        return s;
    }
    const int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in sa = MakeAddress(address, port);
    // Non-blocking, so an accept after a connection vanished between poll and accept does not hang.
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, backlog) != 0 ||
        !SetNonBlocking(s, true)) {
        CloseSocket(s);
    }
    return s;
}

std::uint16_t LocalPort(SocketHandle socket) {
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&sa), &length) != 0 || sa.sin_family != AF_INET) {
        return 0;
    }
    return ntohs(sa.sin_port);
}

SocketHandle AcceptWithTimeout(SocketHandle listener, int timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        pollfd pfd{listener, POLLIN, 0};
        if (RetryOnInterrupt([&] { return ::poll(&pfd, 1, deadline.RemainingMs()); }) <= 0) {
            return kInvalidSocket;
        }
        const int s = RetryOnInterrupt([&] { return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC); });
        if (s >= 0) {
            return s;
        }
        // Taken by another, or gone before it was accepted: wait for the next while time is left.
        if ((errno != EAGAIN && errno != ECONNABORTED) || deadline.Expired()) {
            return kInvalidSocket;
        }
    }
}

}  // namespace fwu::platform
