// Sockets as the rest of the program sees them: IPv4 addresses, name lookup, TCP connections with a
// connect time-out, and sends and receives that never wait longer than they are told to.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fwu::platform {

#ifdef _WIN32
// A Winsock SOCKET, which is pointer-sized; INVALID_SOCKET is all bits set.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kInvalidSocket = ~std::uintptr_t{0};
#else
using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;
#endif

// How long a TCP connection attempt may take unless the caller says otherwise.
inline constexpr int kDefaultConnectTimeoutMs = 5000;

// Closes a socket if it is valid and sets it to kInvalidSocket.
void CloseSocket(SocketHandle& socket);

// An IPv4 address as its four bytes in network order (192.168.1.1 is {192, 168, 1, 1}).
using Ipv4Address = std::array<unsigned char, 4>;

// Reads a dotted IPv4 address: exactly four decimal numbers of 1 to 3 digits, each 0 to 255, joined by
// dots, nothing before or after. Anything else (host names, hex, fewer parts, blanks) is refused.
bool ParseDottedIpv4(std::string_view text, Ipv4Address& out);

// The address as dotted text without leading zeros.
std::string FormatIpv4(const Ipv4Address& address);

// A dotted address as it is, else the first IPv4 address that the system's name lookup gives for the
// text. False when neither works (an empty or over-long text is not looked up).
bool ResolveIpv4(const std::string& host, Ipv4Address& out);

enum class SocketKind { Stream, Datagram };

// Opens an IPv4 TCP (Stream) or UDP (Datagram) socket; kInvalidSocket on failure.
SocketHandle OpenSocket(SocketKind kind);

// Connects a socket to the address and port, waiting at most timeoutMs for the connection to be
// accepted. The socket stays in blocking mode afterwards. False on refusal, error or time-out.
bool ConnectWithTimeout(SocketHandle socket, const Ipv4Address& address, std::uint16_t port,
                        int timeoutMs = kDefaultConnectTimeoutMs);

// Sends all `length` bytes, continuing short sends, within timeoutMs in total. False when the peer is
// gone, an error occurs or the time runs out.
bool SendAll(SocketHandle socket, const void* data, std::size_t length, int timeoutMs);

// SendAll that also gives up, within kStopCheckMs, once `*stop` is true (never when `stop` is null).
inline constexpr int kStopCheckMs = 100;
bool SendAllUnless(SocketHandle socket, const void* data, std::size_t length, int timeoutMs,
                   const std::atomic<bool>* stop);

// What a receive gives: bytes (> 0), the peer's orderly close (0), or nothing usable.
inline constexpr long kReceiveError = -1;
inline constexpr long kReceiveTimedOut = -2;

// Receives up to `capacity` bytes, waiting at most timeoutMs for the first byte to arrive. Returns the
// number of bytes, 0 when the peer closed the connection, kReceiveTimedOut or kReceiveError.
long ReceiveSome(SocketHandle socket, void* buffer, std::size_t capacity, int timeoutMs);

// A TCP socket that listens on the address (port 0: any free port); kInvalidSocket on failure.
SocketHandle OpenListeningSocket(const Ipv4Address& address, std::uint16_t port, int backlog = 8);

// The local port a socket is bound to, 0 when unknown.
std::uint16_t LocalPort(SocketHandle socket);

// Accepts one connection within timeoutMs; kInvalidSocket when none arrived.
SocketHandle AcceptWithTimeout(SocketHandle listener, int timeoutMs);

}  // namespace fwu::platform
