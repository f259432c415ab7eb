// The simulated router's life: its listening socket and poll loop, and the phases after an upload
// (flash, silence, back with the new version); the connections' bytes are handled in ServerConnections.cpp.
#include "tools/router-sim/Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/router-sim/LabNamespace.h"

namespace fwu::sim {
namespace {

constexpr int kReopenRetryMs = 500;
constexpr int kMaxPollMs = 200;

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
