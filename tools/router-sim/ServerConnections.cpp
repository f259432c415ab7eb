// The simulated router's connections: accepting them, reading requests, checking each against the bytes
// the router expects, saving an upload, and sending the answers at their pace.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/router-sim/ImageVersion.h"
#include "tools/router-sim/RequestCheck.h"
#include "tools/router-sim/RouterFacts.h"
#include "tools/router-sim/Server.h"

namespace fwu::sim {
namespace {

constexpr std::size_t kReceiveBlock = 64 * 1024;
constexpr std::size_t kMaxExtraBytes = 64 * 1024;
constexpr std::size_t kMaxConnections = 64;
// How long the router listens for bytes after the announced body before it judges the upload.
constexpr int kDrainMs = 300;
// How long a never-closing answer holds its connection at most.
constexpr int kHoldMs = 120000;

std::string AddressText(const sockaddr_in& address, bool withPort) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    std::string out = text;
    if (withPort) {
        out += ":" + std::to_string(ntohs(address.sin_port));
    }
    return out;
}

// The target of a request line ("GET /x HTTP/1.0" gives "/x").
std::string_view RequestTarget(std::string_view line) {
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t second = line.find(' ', first + 1);
    return line.substr(first + 1,
                       second == std::string_view::npos ? std::string_view::npos : second - first - 1);
}

std::optional<std::uint64_t> ParseLength(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.size() > 20 || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

void Server::Accept() {
    while (true) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd =
            ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;  // EAGAIN, or an aborted connection: nothing to do
        }
        sockaddr_in local{};
        length = sizeof local;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        Connection c;
        c.fd = fd;
        c.peer = AddressText(peer, true);
        c.local = AddressText(local, false);
        if (options_.fault == Fault::Reset || connections_.size() >= kMaxConnections) {
            log_.Write("connection", {{"peer", Bytes(c.peer)}, {"local", Bytes(c.local)}, {"reset", true}});
            Reset(c);
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        c.deadline = Clock::now() + std::chrono::milliseconds(options_.ioTimeoutMs);
        log_.Write("connection", {{"peer", Bytes(c.peer)}, {"local", Bytes(c.local)}});
        connections_.push_back(std::move(c));
    }
}

void Server::OnReadable(Connection& c) {
    std::string block(kReceiveBlock, '\0');
    const ssize_t got = ::recv(c.fd, block.data(), block.size(), 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    const bool ended = got <= 0;
    block.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    c.deadline = Clock::now() + std::chrono::milliseconds(options_.ioTimeoutMs);

    switch (c.stage) {
        case Stage::Head:
            if (ended) {
                if (!c.in.empty()) {
                    log_.Write("request-incomplete", {{"peer", Bytes(c.peer)}, {"received", Bytes(c.in)}});
                }
                Close(c);
                return;
            }
            c.in += block;
            OnHead(c);
            return;
        case Stage::Body:
            if (ended) {
                FinishUpload(c);
                return;
            }
            OnBodyBytes(c, block);
            return;
        case Stage::Drain:
            if (ended) {
                FinishUpload(c);
                return;
            }
            c.extra += block.substr(0, kMaxExtraBytes - std::min(kMaxExtraBytes, c.extra.size()));
            return;
        case Stage::Holding:
            if (ended) {
                Close(c);
            }
            return;
        case Stage::Answering:
        case Stage::Closed:
            return;
    }
}

void Server::OnHead(Connection& c) {
    const auto end = FindHeadEnd(c.in);
    if (!end) {
        if (c.in.size() > kMaxHeadBytes) {
            log_.Write("request", {{"peer", Bytes(c.peer)},
                                   {"request_line", Bytes(c.in.substr(0, 200))},
                                   {"detail", "head too long"},
                                   {"answer", 400}});
            StartAnswer(c, ErrorAnswer(400));
        }
        return;
    }
    c.rawHead = c.in.substr(0, *end);
    const std::string rest = c.in.substr(*end);
    c.in.clear();
    c.head = ParseRequestHead(c.rawHead);
    const std::string_view line = c.head.requestLine;
    const std::string_view target = RequestTarget(line);

    if (line.starts_with("GET ") && target == kStatusPagePath) {
        const StatusCheck check = CheckStatusRequest(c.rawHead, rest, options_.password);
        const bool allowed = check.credential == CredentialVerdict::Accepted;
        QJsonObject event{{"peer", Bytes(c.peer)},
                          {"request", Bytes(c.rawHead)},
                          {"credential", Bytes(CredentialVerdictName(check.credential))},
                          {"differences", ToJson(check.differences)},
                          {"answer", allowed ? 200 : 401}};
        if (allowed) {
            event.insert("version", Bytes(version_));
        }
        log_.Write("status-request", event);
        StartAnswer(c, allowed ? StatusPage(options_.fault, version_, options_.dripMs) : ErrorAnswer(401));
        return;
    }
    if (line.starts_with("POST ") && target.ends_with(kUpgradeHandlerPath)) {
        const auto field = FieldValue(c.head, "Content-Length");
        const auto announced = field ? ParseLength(*field) : std::nullopt;
        if (!announced || *announced > kMaxUploadBody) {
            const int code = announced ? 413 : 411;
            log_.Write("upload-refused", {{"peer", Bytes(c.peer)},
                                          {"reason", announced ? "too-large" : "no-length"},
                                          {"content_length", field ? Bytes(*field) : QString()},
                                          {"answer", code}});
            StartAnswer(c, ErrorAnswer(code));
            return;
        }
        c.announced = *announced;
        c.body.reserve(static_cast<std::size_t>(c.announced));
        c.stage = Stage::Body;
        c.bodyStart = Clock::now();
        log_.Write("upload-start",
                   {{"peer", Bytes(c.peer)}, {"announced", static_cast<qint64>(c.announced)}});
        OnBodyBytes(c, rest);
        return;
    }
    const int code = line.starts_with("GET ") || line.starts_with("POST ") ? 404 : 501;
    log_.Write("request", {{"peer", Bytes(c.peer)}, {"request_line", Bytes(line)}, {"answer", code}});
    StartAnswer(c, ErrorAnswer(code));
}

void Server::OnBodyBytes(Connection& c, std::string_view bytes) {
    const std::size_t room = static_cast<std::size_t>(c.announced) - c.body.size();
    const std::size_t take = std::min(room, bytes.size());
    c.body.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    c.extra.append(bytes.substr(0, kMaxExtraBytes - std::min(kMaxExtraBytes, c.extra.size())));

    const bool complete = c.body.size() == c.announced;
    if (options_.fault == Fault::ResetUpload && !complete &&
        c.body.size() >= std::max<std::uint64_t>(1, c.announced / 2)) {
        log_.Write("upload-aborted", {{"peer", Bytes(c.peer)},
                                      {"reason", "reset-upload"},
                                      {"received", static_cast<qint64>(c.body.size())}});
        Reset(c);
        return;
    }
    if (complete && c.stage == Stage::Body) {
        c.stage = Stage::Drain;
        c.bodyEnd = Clock::now();
        c.deadline = c.bodyEnd + std::chrono::milliseconds(kDrainMs);
        log_.Write("upload-received", {{"peer", Bytes(c.peer)},
                                       {"received", static_cast<qint64>(c.body.size())},
                                       {"body_ms", BodyMs(c)}});
    }
}

// From the upload's head to its body's last byte, in milliseconds: how long the client took to send it.
double Server::BodyMs(const Connection& c) {
    return std::chrono::duration<double, std::milli>(c.bodyEnd - c.bodyStart).count();
}

// Writes `parts` one after the other to <save dir><prefix><upload number>.bin and names the file in
// `event` under `field`; a file that cannot be written is logged as an error instead.
void Server::Save(QJsonObject& event, const char* field, const std::string& prefix,
                  std::initializer_list<std::string_view> parts) {
    std::error_code ec;
    std::filesystem::create_directories(options_.saveDir, ec);
    const std::string path = options_.saveDir + prefix + std::to_string(uploads_) + ".bin";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string_view part : parts) {
        file.write(part.data(), static_cast<std::streamsize>(part.size()));
    }
    file.close();
    if (file) {
        event.insert(field, Bytes(path));
    } else {
        log_.Write("error", {{"detail", Bytes("cannot save " + path)}});
    }
}

void Server::FinishUpload(Connection& c) {
    UploadInput input{c.head, c.body, c.announced, c.extra, c.local, options_.password};
    const UploadCheck check = CheckUploadRequest(input);
    const bool accepted = check.differences.empty();
    ++uploads_;

    QJsonArray headers;
    for (const std::string& line : c.head.headerLines) {
        headers.append(Bytes(line));
    }
    QJsonObject event{{"peer", Bytes(c.peer)},
                      {"request_line", Bytes(c.head.requestLine)},
                      {"headers", headers},
                      {"announced", static_cast<qint64>(c.announced)},
                      {"received", static_cast<qint64>(c.body.size())},
                      {"body_ms", c.body.size() == c.announced ? BodyMs(c) : -1.0},
                      {"extra", static_cast<qint64>(c.extra.size())},
                      {"credential", Bytes(CredentialVerdictName(check.credential))},
                      {"differences", ToJson(check.differences)},
                      {"accepted", accepted}};
    std::optional<std::string> imageVersion;
    if (check.haveImage) {
        const std::string_view image = std::string_view(c.body).substr(check.imageOffset, check.imageSize);
        imageVersion = VersionFromImageHeader(image);
        event.insert("image_size", static_cast<qint64>(image.size()));
        event.insert("image_sha256",
                     QString::fromLatin1(QCryptographicHash::hash(QByteArrayView(image.data(), image.size()),
                                                                  QCryptographicHash::Sha256)
                                             .toHex()));
        if (imageVersion) {
            event.insert("image_version", Bytes(*imageVersion));
        }
        if (!options_.saveDir.empty()) {
            Save(event, "saved", "/upload-", {image});
        }
    }
    if (!options_.saveDir.empty()) {
        Save(event, "saved_request", "/request-", {c.rawHead, c.body});
    }
    log_.Write("upload", event);

    if (accepted && UploadWithoutRestart(options_)) {
        AnswerWithoutRestart(c);
    } else if (accepted) {
        StartAnswer(c, UploadAccepted());
        StartFlash(imageVersion);
    } else {
        StartAnswer(c, ErrorAnswer(check.credential == CredentialVerdict::Accepted ? 400 : 401));
    }
    c.body.clear();
    c.body.shrink_to_fit();
}

void Server::StartAnswer(Connection& c, Answer answer) {
    c.stage = Stage::Answering;
    c.answer = std::move(answer);
    c.sendIndex = 0;
    c.sendOffset = 0;
    c.waitWritable = false;
    const int pause = c.answer.sends.empty() ? 0 : c.answer.sends.front().pauseBeforeMs;
    c.sendAt = Clock::now() + std::chrono::milliseconds(pause);
    SendDue(c, Clock::now());
}

void Server::SendDue(Connection& c, Clock::time_point now) {
    while (c.stage == Stage::Answering) {
        if (c.sendIndex >= c.answer.sends.size()) {
            if (c.answer.keepOpen) {
                c.stage = Stage::Holding;
                c.deadline = now + std::chrono::milliseconds(kHoldMs);
            } else {
                Close(c);
            }
            return;
        }
        if (now < c.sendAt) {
            return;
        }
        const std::string& bytes = c.answer.sends[c.sendIndex].bytes;
        const ssize_t sent =
            ::send(c.fd, bytes.data() + c.sendOffset, bytes.size() - c.sendOffset, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                c.waitWritable = true;
                return;
            }
            Close(c);  // the client has gone; nothing more to say
            return;
        }
        c.sendOffset += static_cast<std::size_t>(sent);
        if (c.sendOffset < bytes.size()) {
            c.waitWritable = true;
            return;
        }
        ++c.sendIndex;
        c.sendOffset = 0;
        if (c.sendIndex < c.answer.sends.size()) {
            c.sendAt = now + std::chrono::milliseconds(c.answer.sends[c.sendIndex].pauseBeforeMs);
        }
    }
}

void Server::Close(Connection& c) {
    if (c.fd >= 0) {
        // Unread bytes would turn the close into a reset; read what is waiting first.
        char sink[4096];
        for (int i = 0; i < 256 && ::recv(c.fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
        }
        ::close(c.fd);
        c.fd = -1;
    }
    c.stage = Stage::Closed;
}

void Server::Reset(Connection& c) {
    if (c.fd >= 0) {
        const linger abort{1, 0};
        ::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(c.fd);
        c.fd = -1;
    }
    c.stage = Stage::Closed;
}

void Server::Expire(Connection& c, Clock::time_point now) {
    if (c.stage == Stage::Closed || c.stage == Stage::Answering || now < c.deadline) {
        return;
    }
    switch (c.stage) {
        case Stage::Drain:
            FinishUpload(c);
            return;
        case Stage::Body:
            log_.Write("upload-aborted", {{"peer", Bytes(c.peer)},
                                          {"reason", "timeout"},
                                          {"received", static_cast<qint64>(c.body.size())}});
            Close(c);
            return;
        case Stage::Head:
            log_.Write("timeout", {{"peer", Bytes(c.peer)}, {"received", static_cast<qint64>(c.in.size())}});
            Close(c);
            return;
        default:
            Close(c);
            return;
    }
}

}  // namespace fwu::sim
