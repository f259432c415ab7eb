#include "platform/HttpClient.h"

#include "platform/Deadline.h"

namespace fwu::platform {
namespace {

constexpr std::uint16_t kDefaultHttpPort = 80;

// A request-line token: printable, no space, so it cannot split or end the line.
bool IsToken(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (const unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

// A header field line: "Name: value" with no CR, LF or NUL, and a non-empty name.
bool IsHeaderLine(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    for (const char c : line) {
        if (c == '\r' || c == '\n' || c == '\0') {
            return false;
        }
    }
    return true;
}

}  // namespace

HttpClient::HttpClient(HttpTimeouts limits) : timeouts(limits) {}

HttpClient::~HttpClient() {
    Close();
}

bool HttpClient::Open(const std::string& name) {
    agentName = name;
    return true;
}

bool HttpClient::Connect(const std::string& server, std::uint16_t port) {
    Close();
    Ipv4Address address{};
    if (!ParseDottedIpv4(server, address)) {
        return false;
    }
    connection = OpenSocket(SocketKind::Stream);
    if (!ConnectWithTimeout(connection, address, port == 0 ? kDefaultHttpPort : port, timeouts.connectMs)) {
        CloseSocket(connection);
        return false;
    }
    return true;
}

bool HttpClient::OpenRequest(const std::string& verb, const std::string& object, const std::string& version) {
    if (!IsToken(verb) || !IsToken(object) || !IsToken(version)) {
        return false;
    }
    const std::string path = object.front() == '/' ? object : "/" + object;
    requestLine = verb + " " + path + " HTTP/" + version + "\r\n";
    headerFields.clear();
    requestSent = false;
    bodyLeft = 0;
    return true;
}

bool HttpClient::AddRequestHeaders(std::string_view headerBlock) {
    if (requestLine.empty()) {
        return false;
    }
    // Check every line before taking any, so a bad block leaves the request as it was.
    std::string fields;
    std::size_t start = 0;
    while (start <= headerBlock.size()) {
        auto end = headerBlock.find('\n', start);
        if (end == std::string_view::npos) {
            end = headerBlock.size();
        }
        const std::string_view line = headerBlock.substr(start, end - start);
        if (!line.empty()) {
            if (!IsHeaderLine(line)) {
                return false;
            }
            fields.append(line).append("\r\n");
        }
        start = end + 1;
    }
    headerFields += fields;
    return true;
}

bool HttpClient::SendRequest(std::uint32_t bodyLength) {
    if (connection == kInvalidSocket || requestLine.empty() || requestSent) {
        return false;
    }
    const std::string head = requestLine + headerFields + "\r\n";
    if (!SendAll(connection, head.data(), head.size(), timeouts.sendMs)) {
        return false;
    }
    requestSent = true;
    bodyLeft = bodyLength;
    return true;
}

bool HttpClient::Write(const char* data, std::size_t length) {
    // Never more than the announced body: the server reads exactly that many bytes.
    if (!requestSent || length > bodyLeft) {
        return false;
    }
    if (!SendAllUnless(connection, data, length, timeouts.sendMs, stopFlag)) {
        return false;
    }
    bodyLeft -= static_cast<std::uint32_t>(length);
    return true;
}

std::string HttpClient::ReadAnswer() {
    std::string answer;
    if (connection == kInvalidSocket || !requestSent || bodyLeft != 0) {
        return answer;
    }
    // One deadline for the whole read, so a server that drips its answer cannot stretch it.
    const Deadline deadline(timeouts.answerMs);
    char block[kMaxAnswerBytes];
    while (answer.size() < kMaxAnswerBytes && answer.find('\n') == std::string::npos && !deadline.Expired()) {
        const long got =
            ReceiveSome(connection, block, kMaxAnswerBytes - answer.size(), deadline.RemainingMs());
        if (got <= 0) {
            break;  // closed, failed or timed out: what came so far is all there is
        }
        answer.append(block, static_cast<std::size_t>(got));
    }
    return answer;
}

std::string HttpClient::ReadEarlyAnswer() {
    // A server that answers before the body is done has said all it will say: a short wait suffices.
    constexpr int kEarlyAnswerWaitMs = 200;
    if (connection == kInvalidSocket || !requestSent) {
        return {};
    }
    char block[kMaxAnswerBytes];
    const long got = ReceiveSome(connection, block, sizeof block, kEarlyAnswerWaitMs);
    return got > 0 ? std::string(block, static_cast<std::size_t>(got)) : std::string();
}

void HttpClient::Close() {
    // Our side is finished; the rest of the answer, if any, is not read.
    CloseSocket(connection);
    requestLine.clear();
    headerFields.clear();
    requestSent = false;
    bodyLeft = 0;
}

}  // namespace fwu::platform
