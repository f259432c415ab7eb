// The HTTP client as the upload worker uses it: one request whose header block and body the caller
// supplies, written piece by piece, then the start of the server's answer read within a bound.
// HttpClient is the real one; tests hand the worker a scripted fake.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fwu::platform {

// The most of the server's answer that ReadAnswer keeps: enough for the status line and then some.
inline constexpr std::size_t kMaxAnswerBytes = 4 * 1024;

class HttpSession {
public:
    virtual ~HttpSession() = default;

    // Starts the session; the agent name identifies the program to the session, not to the server.
    virtual bool Open(const std::string& agentName) = 0;

    // Opens the TCP connection to a dotted IPv4 address; port 0 means the HTTP port, 80.
    virtual bool Connect(const std::string& server, std::uint16_t port) = 0;

    // Prepares the request line from the verb, the object ("upgrade.cgi") and the version ("1.0").
    virtual bool OpenRequest(const std::string& verb, const std::string& object,
                             const std::string& version) = 0;

    // Adds the header fields of a block: one field per line, lines separated by single line feeds.
    virtual bool AddRequestHeaders(std::string_view headerBlock) = 0;

    // Sends the request line and the header fields; the body of `bodyLength` bytes follows by Write.
    virtual bool SendRequest(std::uint32_t bodyLength) = 0;

    // Writes body bytes; true only when all of them went out.
    virtual bool Write(const char* data, std::size_t length) = 0;

    // Once the whole announced body is written: waits, within the session's answer limit, for the server's
    // answer until its first line has ended, the server closes, or kMaxAnswerBytes have come, and returns
    // what arrived. Empty when nothing came in time, the connection was closed or failed, or the body is
    // not complete.
    virtual std::string ReadAnswer() = 0;

    // Closes the request and the connection; whatever the server still sends is not read.
    virtual void Close() = 0;
    // What the server already sent while the body was still going out (a refusal right after the head),
    // waiting at most a moment: the start of it, bounded as ReadAnswer's. Empty when nothing came.
    virtual std::string ReadEarlyAnswer() { return {}; }

    // From now on a Write waiting for the connection gives up soon after `*stop` turns true (the flag
    // must outlive the session). A session whose writes never wait long may ignore it.
    virtual void WatchStop(const std::atomic<bool>* /*stop*/) {}
};

}  // namespace fwu::platform
