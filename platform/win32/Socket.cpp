// Winsock behind platform/Socket.h. Winsock is started once, on the first socket. Every wait goes through
// select() or WSAPoll() with a deadline, so no call here blocks longer than its caller allowed.
#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/Deadline.h"
#include "platform/ReceiveWithin.h"
#include "platform/win32/IcmpHandles.h"

namespace fwu::platform {
namespace {

constexpr std::size_t kMaxHostNameLength = 253;

// Winsock 2.2 for the life of the process; false when the system has none to give.
bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET Native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

sockaddr_in MakeAddress(const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr, address.data(), address.size());
    return sa;
}

bool SetNonBlocking(SocketHandle socket, bool on) {
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(Native(socket), FIONBIO, &mode) == 0;
}

// The sockets a send has left non-blocking. Every call here waits before it reads or writes, so a
// connected socket needs no blocking mode between two sends; and each change of mode costs a round trip
// to the system (under wine one to its server), which three times for each 1,260-byte piece of the
// upload would stretch its pauses by a tenth.
std::mutex sendingMutex;
std::set<SocketHandle>& Sending() {
    static std::set<SocketHandle> sockets;
    return sockets;
}

// Non-blocking from now until the socket is closed.
bool KeepNonBlocking(SocketHandle socket) {
    {
        const std::lock_guard<std::mutex> lock(sendingMutex);
        if (Sending().count(socket) != 0) {
            return true;
        }
    }
    if (!SetNonBlocking(socket, true)) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(sendingMutex);
    Sending().insert(socket);
    return true;
}

void ForgetSocket(SocketHandle socket) {
    const std::lock_guard<std::mutex> lock(sendingMutex);
    Sending().erase(socket);
}

timeval ToTimeval(int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

// Waits until the socket can take bytes (or, for a connect, until it is done either way). select(), not
// WSAPoll: older systems' WSAPoll never reports a refused connect.
int WaitWritable(SocketHandle socket, int timeoutMs) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(Native(socket), &writable);
    FD_SET(Native(socket), &failed);
    timeval tv = ToTimeval(timeoutMs);
    return ::select(0, nullptr, &writable, &failed, &tv);
}

// One send of as much as Winsock takes at once; the caller has made the socket non-blocking.
int SendNow(SocketHandle socket, const unsigned char* bytes, std::size_t length) {
    const int chunk = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
    return ::send(Native(socket), reinterpret_cast<const char*>(bytes), chunk, 0);
}

}  // namespace

void CloseSocket(SocketHandle& socket) {
    if (socket == kInvalidSocket) {
        return;
    }
    if (!win32::CloseIcmpHandle(socket)) {
        ForgetSocket(socket);
        ::closesocket(Native(socket));
    }
    socket = kInvalidSocket;
}

bool ResolveIpv4(const std::string& host, Ipv4Address& out) {
    if (ParseDottedIpv4(host, out)) {
        return true;
    }
    if (host.empty() || host.size() > kMaxHostNameLength || host.find('\0') != std::string::npos ||
        !WinsockReady()) {
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
    if (!WinsockReady()) {
        return kInvalidSocket;
    }
    const int type = kind == SocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    const int protocol = kind == SocketKind::Stream ? IPPROTO_TCP : IPPROTO_UDP;
    // Not inherited: a program this one starts (arp) must not hold the router's connection open.
    const SOCKET s = ::WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

bool ConnectWithTimeout(SocketHandle socket, const Ipv4Address& address, std::uint16_t port, int timeoutMs) {
    if (socket == kInvalidSocket || !SetNonBlocking(socket, true)) {
        return false;
    }
    const sockaddr_in sa = MakeAddress(address, port);
    bool connected = false;
    if (::connect(Native(socket), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) {
        connected = true;
    } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
        const Deadline deadline(timeoutMs);
        if (WaitWritable(socket, deadline.RemainingMs()) > 0) {
            int error = 0;
            int length = sizeof error;
            connected = ::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                                     &length) == 0 &&
                        error == 0;
        }
    }
    ForgetSocket(socket);  // blocking again
    return SetNonBlocking(socket, false) && connected;
}

bool SendAll(SocketHandle socket, const void* data, std::size_t length, int timeoutMs) {
    return SendAllUnless(socket, data, length, timeoutMs, nullptr);
}

bool SendAllUnless(SocketHandle socket, const void* data, std::size_t length, int timeoutMs,
                   const std::atomic<bool>* stop) {
    if (socket == kInvalidSocket || !KeepNonBlocking(socket)) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Deadline deadline(timeoutMs);
    std::size_t sent = 0;
    bool ok = true;
    while (ok && sent < length) {
        if (stop != nullptr && stop->load()) {
            ok = false;
            break;
        }
        const int n = SendNow(socket, bytes + sent, length - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) {
            ok = false;
            break;
        }
        const int wait =
            stop != nullptr ? std::min(deadline.RemainingMs(), kStopCheckMs) : deadline.RemainingMs();
        const int ready = WaitWritable(socket, wait);
        if (ready == 0 && stop != nullptr && !deadline.Expired()) {
            continue;
        }
        ok = ready > 0;
    }
    return ok;
}

long ReceiveSome(SocketHandle socket, void* buffer, std::size_t capacity, int timeoutMs) {
    const int chunk = static_cast<int>(std::min<std::size_t>(capacity, 1 << 30));
    // After WSAPoll has seen bytes, recv takes them without waiting.
    return ReceiveWithin(socket, timeoutMs,
                         [&] { return ::recv(Native(socket), static_cast<char*>(buffer), chunk, 0); });
}

SocketHandle OpenListeningSocket(const Ipv4Address& address, std::uint16_t port, int backlog) {
    SocketHandle s = OpenSocket(SocketKind::Stream);
    if (s == kInvalidSocket) {
        return s;
    }
    // Windows' SO_REUSEADDR would let another program take the port over; exclusive use is the safe kind.
    const BOOL on = TRUE;
    ::setsockopt(Native(s), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in sa = MakeAddress(address, port);
    if (::bind(Native(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(Native(s), backlog) != 0 || !SetNonBlocking(s, true)) {
        CloseSocket(s);
    }
    return s;
}

std::uint16_t LocalPort(SocketHandle socket) {
    sockaddr_in sa{};
    int length = sizeof sa;
    if (::getsockname(Native(socket), reinterpret_cast<sockaddr*>(&sa), &length) != 0 ||
        sa.sin_family != AF_INET) {
        return 0;
    }
    return ntohs(sa.sin_port);
}

SocketHandle AcceptWithTimeout(SocketHandle listener, int timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (socket_wait::WaitReadable(listener, deadline.RemainingMs()) <= 0) {
            return kInvalidSocket;
        }
        const SOCKET s = ::accept(Native(listener), nullptr, nullptr);
        if (s != INVALID_SOCKET) {
            // An accepted socket inherits the listener's non-blocking mode; callers expect a blocking one.
            SocketHandle accepted = static_cast<SocketHandle>(s);
            if (!SetNonBlocking(accepted, false)) {
                CloseSocket(accepted);
            }
            return accepted;
        }
        const int error = ::WSAGetLastError();
        if ((error != WSAEWOULDBLOCK && error != WSAECONNRESET) || deadline.Expired()) {
            return kInvalidSocket;
        }
    }
}

}  // namespace fwu::platform
