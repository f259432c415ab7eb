// The probe's ICMP on Windows goes through the system's ICMP service (IcmpSendEcho2), which needs no
// administrator rights; raw sockets are for administrators only and are never asked for. An open
// service handle stands in for a datagram socket: SendIcmp keeps the request, ReceiveIcmp sends it with
// the request's 8 bytes as the echo data and waits for the answer within its time-out. The service matches
// the reply to the request itself; what it reports is rebuilt into the reply message (EchoReply.h), so the
// caller applies the same reply rule as everywhere. One echo per handle: once it has been answered or
// has gone unanswered, later receives wait out their time and report nothing.
#include "platform/Icmp.h"

// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Deadline.h"
#include "platform/Sleep.h"
#include "platform/win32/EchoReply.h"
#include "platform/win32/IcmpHandles.h"

namespace fwu::platform {
namespace {

constexpr std::size_t kMaxRequestBytes = 64;

struct EchoState {
    Ipv4Address to{};
    std::vector<unsigned char> request;  // empty until SendIcmp
    bool spent = false;
};

std::mutex handlesMutex;
std::map<SocketHandle, EchoState>& Handles() {
    static std::map<SocketHandle, EchoState> handles;
    return handles;
}

HANDLE Native(SocketHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The rest of a wait in which nothing came: the caller's wait lasts as long as on every other system.
long NothingWithin(const Deadline& deadline) {
    const int left = deadline.RemainingMs();
    if (left > 0) {
        SleepPrecisely(left);
    }
    return kReceiveTimedOut;
}

}  // namespace

namespace win32 {

bool CloseIcmpHandle(SocketHandle handle) {
    const std::lock_guard<std::mutex> lock(handlesMutex);
    if (Handles().erase(handle) == 0) {
        return false;
    }
    ::IcmpCloseHandle(Native(handle));
    return true;
}

}  // namespace win32

SocketHandle OpenIcmpSocketOfKind(IcmpSocketKind kind, std::uint16_t identifier, std::uint16_t* bound) {
    if (kind == IcmpSocketKind::Raw) {
        return kInvalidSocket;
    }
    const HANDLE service = ::IcmpCreateFile();
    if (service == INVALID_HANDLE_VALUE) {
        return kInvalidSocket;
    }
    const auto handle = reinterpret_cast<SocketHandle>(service);
    {
        const std::lock_guard<std::mutex> lock(handlesMutex);
        Handles()[handle] = EchoState{};
    }
    if (bound != nullptr) {
        *bound = identifier;
    }
    return handle;
}

SocketHandle OpenIcmpSocket(std::uint16_t identifier, IcmpSocketKind* kind, std::uint16_t* bound) {
    const SocketHandle handle = OpenIcmpSocketOfKind(IcmpSocketKind::Datagram, identifier, bound);
    if (handle != kInvalidSocket && kind != nullptr) {
        *kind = IcmpSocketKind::Datagram;
    }
    return handle;
}

bool SendIcmp(SocketHandle socket, const Ipv4Address& to, const unsigned char* message, std::size_t length) {
    if (message == nullptr || length == 0 || length > kMaxRequestBytes) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(handlesMutex);
    const auto found = Handles().find(socket);
    if (found == Handles().end() || found->second.spent) {
        return false;
    }
    found->second.to = to;
    found->second.request.assign(message, message + length);
    return true;
}

long ReceiveIcmp(SocketHandle socket, unsigned char* buffer, std::size_t capacity, int timeoutMs,
                 Ipv4Address& from) {
    const Deadline deadline(timeoutMs);
    EchoState state;
    {
        const std::lock_guard<std::mutex> lock(handlesMutex);
        const auto found = Handles().find(socket);
        if (found == Handles().end()) {
            return kReceiveError;
        }
        state = found->second;
        found->second.spent = true;
    }
    if (state.spent || state.request.empty()) {
        return NothingWithin(deadline);
    }
    IPAddr destination = 0;
    std::memcpy(&destination, state.to.data(), sizeof destination);
    // Room for one reply with the echoed data, and for an error reply that quotes the request.
    std::vector<unsigned char> replies(sizeof(ICMP_ECHO_REPLY) + state.request.size() + 8 + 64);
    const DWORD count =
        ::IcmpSendEcho2(Native(socket), nullptr, nullptr, nullptr, destination, state.request.data(),
                        static_cast<WORD>(state.request.size()), nullptr, replies.data(),
                        static_cast<DWORD>(replies.size()), static_cast<DWORD>(std::max(timeoutMs, 1)));
    if (count == 0) {
        return NothingWithin(deadline);
    }
    ICMP_ECHO_REPLY reply{};
    std::memcpy(&reply, replies.data(), sizeof reply);
    const auto* data = static_cast<const unsigned char*>(reply.Data);
    const auto* end = replies.data() + replies.size();
    if (data == nullptr || data < replies.data() || data > end ||
        reply.DataSize > static_cast<std::size_t>(end - data)) {
        return NothingWithin(deadline);
    }
    const std::vector<unsigned char> message = win32::RebuildEchoReply(reply.Status, data, reply.DataSize);
    if (message.empty()) {
        return NothingWithin(deadline);
    }
    std::memcpy(from.data(), &reply.Address, from.size());
    const std::size_t taken = std::min(capacity, message.size());
    std::copy_n(message.begin(), taken, buffer);
    return static_cast<long>(taken);
}

}  // namespace fwu::platform
