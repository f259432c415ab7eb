// The connection that the status query talks through. The query is written against this small interface
// so tests can script what the router sends; TcpStatusTransport is the real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Socket.h"

namespace fwu {

class StatusTransport {
public:
    virtual ~StatusTransport() = default;

    // Opens a connection to the address (dotted IPv4, or a host name that is looked up) and port.
    virtual bool Connect(const std::string& address, std::uint16_t port) = 0;

    // Sends all the bytes; false when they could not all be sent.
    virtual bool Send(std::string_view bytes) = 0;

    // Receives up to `capacity` bytes: their number (> 0), 0 when the router closed the connection,
    // or a negative value on an error or when nothing arrived in time.
    virtual long Receive(char* buffer, std::size_t capacity) = 0;

    // Closes the connection if one is open.
    virtual void Close() = 0;

    // The longest the following operations may wait, in milliseconds (0 or more). The status query
    // lowers it before each operation as the one deadline of its exchange draws near. A transport whose
    // operations never wait may ignore it.
    virtual void LimitWaits(int waitMs) { static_cast<void>(waitMs); }
};

// The status exchange over TCP with a time limit on every wait, so a router that accepts the connection
// and then stays silent, or never closes it, cannot hold the check for longer than these limits; each
// wait is also kept within the limit the query last set (LimitWaits).
class TcpStatusTransport final : public StatusTransport {
public:
    struct Limits {
        int connectMs = platform::kDefaultConnectTimeoutMs;
        int sendMs = 10000;
        int receiveMs = 10000;  // for each receive
    };

    TcpStatusTransport() = default;
    explicit TcpStatusTransport(Limits limits) : limits(limits) {}
    ~TcpStatusTransport() override { Close(); }
    TcpStatusTransport(const TcpStatusTransport&) = delete;
    TcpStatusTransport& operator=(const TcpStatusTransport&) = delete;

    bool Connect(const std::string& address, std::uint16_t port) override;
    bool Send(std::string_view bytes) override;
    long Receive(char* buffer, std::size_t capacity) override;
    void Close() override;
    void LimitWaits(int waitMs) override;

private:
    Limits limits;
    int waitLimitMs = -1;  // none set yet
    platform::SocketHandle connection = platform::kInvalidSocket;
};

}  // namespace fwu
