// A small HTTP/1.0 request writer over one TCP socket. It sends the request line, the caller's header
// fields each ended by CR LF, an empty line, then the body exactly as written; it adds no header field of
// its own and uses no chunked coding. Of the answer it reads at most the first 4 KiB, up to the end of the
// status line. Every wait is bounded; errors are results.
#pragma once

#include <string>

#include "platform/HttpSession.h"
#include "platform/Socket.h"

namespace fwu::platform {

struct HttpTimeouts {
    int connectMs = 5'000;  // the TCP handshake
    int sendMs = 30'000;    // each send call: the request head, or one body write
    int answerMs = 10'000;  // the whole read of the answer after the body
};

class HttpClient final : public HttpSession {
public:
    explicit HttpClient(HttpTimeouts limits = {});
    ~HttpClient() override;
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    bool Open(const std::string& agentName) override;
    bool Connect(const std::string& server, std::uint16_t port) override;
    bool OpenRequest(const std::string& verb, const std::string& object, const std::string& version) override;
    bool AddRequestHeaders(std::string_view headerBlock) override;
    bool SendRequest(std::uint32_t bodyLength) override;
    bool Write(const char* data, std::size_t length) override;
    void WatchStop(const std::atomic<bool>* stop) override { stopFlag = stop; }
    std::string ReadAnswer() override;
    std::string ReadEarlyAnswer() override;
    void Close() override;

private:
    HttpTimeouts timeouts;
    const std::atomic<bool>* stopFlag = nullptr;
    std::string agentName;
    SocketHandle connection = kInvalidSocket;
    std::string requestLine;   // empty until OpenRequest
    std::string headerFields;  // "Name: value\r\n" per field
    bool requestSent = false;
    std::uint32_t bodyLeft = 0;  // body bytes announced and not yet written
};

}  // namespace fwu::platform
