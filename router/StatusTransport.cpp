// TcpStatusTransport over the platform's sockets.
#include "router/StatusTransport.h"

namespace fwu {

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
    if (!platform::ConnectWithTimeout(connection, to, port, limits.connectMs)) {
        Close();
        return false;
    }
    return true;
}

bool TcpStatusTransport::Send(std::string_view bytes) {
    return connection != platform::kInvalidSocket &&
           platform::SendAll(connection, bytes.data(), bytes.size(), limits.sendMs);
}

long TcpStatusTransport::Receive(char* buffer, std::size_t capacity) {
    const long n = platform::ReceiveSome(connection, buffer, capacity, limits.receiveMs);
    return n >= 0 ? n : -1;
}

void TcpStatusTransport::Close() {
    platform::CloseSocket(connection);
}

}  // namespace fwu
