#include "tools/router-sim/Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tools/router-sim/ImageVersion.h"
#include "tools/router-sim/LabNamespace.h"
#include "tools/router-sim/RequestCheck.h"
#include "tools/router-sim/RouterFacts.h"

namespace fwu::sim {
namespace {

constexpr std::size_t kReceiveBlock = 64 * 1024;
constexpr std::size_t kMaxExtraBytes = 64 * 1024;
constexpr std::size_t kMaxConnections = 64;
// How long the router listens for bytes after the announced body before it judges the upload.
constexpr int kDrainMs = 300;
// How long a never-closing answer holds its connection at most.
constexpr int kHoldMs = 120000;
constexpr int kReopenRetryMs = 500;
constexpr int kMaxPollMs = 200;

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

Server::Server(SimOptions options, EventLog& log)
    : options_(std::move(options)), log_(log), version_(options_.version) {}

Server::~Server() {
    for (Connection& c : connections_) {
        Close(c);
    }
    CloseListener();
}

int Server::Run(const std::atomic<bool>& stop, const std::function<void(int port)>& ready) {
    log_.Write("start", {{"address", Bytes(options_.address)},
                         {"port", options_.port},
                         {"version", Bytes(version_)},
                         {"fault", Bytes(FaultName(options_.fault))},
                         {"flash_ms", options_.flashMs},
                         {"restart_ms", options_.restartMs},
                         {"start_silent", options_.startSilent}});
    if (options_.startSilent) {
        GoSilent(options_.restartMs);
    } else if (options_.fault != Fault::Closed && !OpenListener()) {
        return 1;
    }
    ready(listenFd_ >= 0 ? options_.port : 0);

    std::vector<pollfd> fds;
    std::vector<Connection*> owners;
    while (!stop.load()) {
        Clock::time_point now = Clock::now();
        AdvancePhase(now);
        for (Connection& c : connections_) {
            Expire(c, now);
            if (c.stage == Stage::Answering && !c.waitWritable) {
                SendDue(c, now);
            }
        }
        connections_.remove_if([](const Connection& c) { return c.stage == Stage::Closed; });

        fds.clear();
        owners.clear();
        if (listenFd_ >= 0) {
            fds.push_back({listenFd_, POLLIN, 0});
            owners.push_back(nullptr);
        }
        for (Connection& c : connections_) {
            short events = 0;
            if (c.stage == Stage::Answering) {
                events = c.waitWritable ? POLLOUT : 0;
            } else {
                events = POLLIN;
            }
            fds.push_back({c.fd, events, 0});
            owners.push_back(&c);
        }
        if (::poll(fds.data(), fds.size(), PollTimeoutMs(now)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            log_.Write("error", {{"detail", Bytes(std::string("poll: ") + std::strerror(errno))}});
            return 1;
        }
        now = Clock::now();
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            Connection* c = owners[i];
            if (c == nullptr) {
                if (listenFd_ >= 0) {
                    Accept();
                }
            } else if (c->stage == Stage::Answering && (fds[i].revents & (POLLOUT | POLLERR | POLLHUP))) {
                c->waitWritable = false;
                SendDue(*c, now);
            } else if (c->stage != Stage::Closed && c->stage != Stage::Answering) {
                OnReadable(*c);
            }
        }
    }

    for (Connection& c : connections_) {
        Close(c);
    }
    connections_.clear();
    CloseListener();
    if (phase_ == Phase::Silent || pingsBackAt_) {
        std::string why;
        if (!SetIgnoreEchoRequests(false, why)) {
            log_.Write("error", {{"detail", Bytes(why)}});
        }
    }
    log_.Write("stop");
    return 0;
}

bool Server::OpenListener() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        log_.Write("error", {{"detail", Bytes(std::string("socket: ") + std::strerror(errno))}});
        return false;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options_.port));
    ::inet_pton(AF_INET, options_.address.c_str(), &address.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        log_.Write("error", {{"detail", Bytes("cannot listen on " + options_.address + ":" +
                                              std::to_string(options_.port) + ": " + std::strerror(errno))}});
        ::close(fd);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    options_.port = ntohs(address.sin_port);  // the system's choice when 0 was asked for
    listenFd_ = fd;
    log_.Write("listening", {{"address", Bytes(options_.address)}, {"port", options_.port}});
    return true;
}

void Server::CloseListener() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

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
        c.deadline = Clock::now() + std::chrono::milliseconds(kDrainMs);
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
            std::error_code ec;
            std::filesystem::create_directories(options_.saveDir, ec);
            const std::string path = options_.saveDir + "/upload-" + std::to_string(uploads_) + ".bin";
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file.write(image.data(), static_cast<std::streamsize>(image.size()));
            file.close();
            if (file) {
                event.insert("saved", Bytes(path));
            } else {
                log_.Write("error", {{"detail", Bytes("cannot save the image to " + path)}});
            }
        }
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

void Server::StartFlash(std::optional<std::string> newVersion) {
    if (phase_ != Phase::Running) {
        log_.Write("flash-busy");
        return;
    }
    pendingVersion_ = std::move(newVersion);
    phase_ = Phase::Flashing;
    phaseEnd_ = Clock::now() + std::chrono::milliseconds(options_.flashMs);
    log_.Write("flash-start", {{"flash_ms", options_.flashMs},
                               {"new_version", pendingVersion_ ? Bytes(*pendingVersion_) : QString()}});
}

void Server::AdvancePhase(Clock::time_point now) {
    AnswerPingsAgainWhenDue(now);
    if (reopenAt_ && now >= *reopenAt_) {
        reopenAt_.reset();
        if (!OpenListener()) {
            reopenAt_ = now + std::chrono::milliseconds(kReopenRetryMs);
        }
    }
    if (phase_ == Phase::Running || now < phaseEnd_) {
        return;
    }
    if (phase_ == Phase::Flashing) {
        if (options_.fault == Fault::NoRestart) {
            phase_ = Phase::Running;
            pendingVersion_.reset();
            log_.Write("flash-done", {{"restart", false}});
        } else {
            GoSilent(options_.restartMs);
        }
        return;
    }
    ComeBack();
}

void Server::GoSilent(int silentMs) {
    std::string why;
    if (!SetIgnoreEchoRequests(true, why)) {
        log_.Write("error", {{"detail", Bytes(why)}});
    }
    CloseListener();
    for (Connection& c : connections_) {
        if (c.stage == Stage::Body) {
            log_.Write("upload-aborted", {{"peer", Bytes(c.peer)},
                                          {"reason", "restart"},
                                          {"received", static_cast<qint64>(c.body.size())}});
        }
        Close(c);
    }
    phase_ = Phase::Silent;
    phaseEnd_ = Clock::now() + std::chrono::milliseconds(silentMs);
    log_.Write("restart", {{"silent_ms", silentMs}});
}

void Server::ComeBack() {
    std::string why;
    if (!SetIgnoreEchoRequests(false, why)) {
        log_.Write("error", {{"detail", Bytes(why)}});
    }
    // keep-version: a router whose new firmware did not take comes back with the one it had.
    if (pendingVersion_ && options_.fault != Fault::KeepVersion) {
        version_ = *pendingVersion_;
    }
    pendingVersion_.reset();
    phase_ = Phase::Running;
    if (options_.fault != Fault::Closed && !OpenListener()) {
        reopenAt_ = Clock::now() + std::chrono::milliseconds(kReopenRetryMs);
    }
    log_.Write("back", {{"version", Bytes(version_)}});
}

void Server::AnswerWithoutRestart(Connection& c) {
    const std::string statusLine =
        options_.uploadAnswer.empty() ? std::string(kAcceptedStatus) : options_.uploadAnswer;
    log_.Write("upload-answer", {{"peer", Bytes(c.peer)}, {"status_line", Bytes(statusLine)}});
    StartAnswer(c, options_.uploadAnswer.empty() ? UploadAccepted() : UploadAnsweredWith(statusLine));
    if (options_.missPingsMs > 0 && !pingsMissed_) {
        pingsMissed_ = true;
        std::string why;
        if (!SetIgnoreEchoRequests(true, why)) {
            log_.Write("error", {{"detail", Bytes(why)}});
        }
        pingsBackAt_ = Clock::now() + std::chrono::milliseconds(options_.missPingsMs);
        log_.Write("pings-off", {{"ms", options_.missPingsMs}});
    }
}

void Server::AnswerPingsAgainWhenDue(Clock::time_point now) {
    if (!pingsBackAt_ || now < *pingsBackAt_) {
        return;
    }
    pingsBackAt_.reset();
    std::string why;
    if (!SetIgnoreEchoRequests(false, why)) {
        log_.Write("error", {{"detail", Bytes(why)}});
    }
    log_.Write("pings-on");
}

int Server::PollTimeoutMs(Clock::time_point now) const {
    Clock::time_point next = now + std::chrono::milliseconds(kMaxPollMs);
    if (phase_ != Phase::Running) {
        next = std::min(next, phaseEnd_);
    }
    if (reopenAt_) {
        next = std::min(next, *reopenAt_);
    }
    if (pingsBackAt_) {
        next = std::min(next, *pingsBackAt_);
    }
    for (const Connection& c : connections_) {
        if (c.stage == Stage::Answering) {
            if (!c.waitWritable) {
                next = std::min(next, c.sendAt);
            }
        } else {
            next = std::min(next, c.deadline);
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::clamp<long long>(ms + 1, 0, kMaxPollMs));
}

}  // namespace fwu::sim
