// TcpStatusTransport over the platform's sockets.
#include "router/StatusTransport.h"

#include <algorithm>

namespace fwu {

namespace {

int Within(int ownLimitMs, int waitLimitMs) {
    return waitLimitMs < 0 ? ownLimitMs : std::min(ownLimitMs, waitLimitMs);
}

}  // namespace

bool TcpStatusTransport::Connect(const std::string& address, std::uint16_t port) {
    Close();
    platform::Ipv4Address to{};
    if (!platform::ResolveIpv4(address, to)) {
        return false;
    }
    connection = platform::OpenSocket(platform::SocketKind::Stream);
    if (connection == platform::kInvalidSocket) {
        return false;
    }
    if (!platform::ConnectWithTimeout(connection, to, port, Within(limits.connectMs, waitLimitMs))) {
        Close();
        return false;
    }
    return true;
}

bool TcpStatusTransport::Send(std::string_view bytes) {
    return connection != platform::kInvalidSocket &&
           platform::SendAll(connection, bytes.data(), bytes.size(), Within(limits.sendMs, waitLimitMs));
}

long TcpStatusTransport::Receive(char* buffer, std::size_t capacity) {
    const long n = platform::ReceiveSome(connection, buffer, capacity, Within(limits.receiveMs, waitLimitMs));
    return n >= 0 ? n : -1;
}

void TcpStatusTransport::LimitWaits(int waitMs) {
    waitLimitMs = std::max(waitMs, 0);
}

void TcpStatusTransport::Close() {
    platform::CloseSocket(connection);
}

}  // namespace fwu
