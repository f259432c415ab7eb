#include "upgrade/ConfirmationWatch.h"

#include <chrono>

#include "res/StringTable.h"
#include "router/Probe.h"
#include "router/RouterCheck.h"
#include "router/RouterEndpoints.h"
#include "router/StatusQuery.h"
#include "upgrade/AttemptLog.h"

namespace fwu {
namespace {

std::int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The status transport that refuses to connect or send once the watch is stopped.
class StoppableTransport final : public StatusTransport {
public:
    StoppableTransport(StatusTransport& inner, const std::function<bool()>& stopped)
        : inner(inner), stopped(stopped) {}
    bool Connect(const std::string& address, std::uint16_t port) override {
        return !stopped() && inner.Connect(address, port);
    }
    bool Send(std::string_view bytes) override { return !stopped() && inner.Send(bytes); }
    long Receive(char* buffer, std::size_t capacity) override {
        return stopped() ? -1 : inner.Receive(buffer, capacity);
    }
    void Close() override { inner.Close(); }
    void LimitWaits(int waitMs) override { inner.LimitWaits(waitMs); }

private:
    StatusTransport& inner;
    const std::function<bool()>& stopped;
};

RouterVersionAnswer ReadRouterAnswer(const std::string& address, const std::string& credential,
                                     const std::function<bool()>& stopped) {
    RouterVersionAnswer result;
    TcpStatusTransport tcp;
    StoppableTransport transport(tcp, stopped);
    const StatusClock clock = [] { return std::chrono::steady_clock::now(); };
    const StatusPageAnswer answer =
        ReadStatusPage(transport, address, BuildStatusRequest(credential), kVersionStartMarker,
                       kVersionEndMarker, clock, kConfirmationQueryLimitMs);
    if (answer.end == StatusQueryEnd::Found) {
        result.version = answer.version;
    }
    result.passwordRefused = answer.end == StatusQueryEnd::Refused;
    return result;
}

std::optional<std::string> ReadRouterVersion(const std::string& address, const std::string& credential,
                                             const std::function<bool()>& stopped) {
    return ReadRouterAnswer(address, credential, stopped).version;
}

std::string Seconds(std::int64_t ms) {
    return std::to_string(ms / 1000) + " s";
}

}  // namespace

ConfirmationWatchServices SystemConfirmationWatchServices() {
    ConfirmationWatchServices services;
    services.probe = [](const std::string& address) { return PingHost(address); };
    services.readVersion = ReadRouterVersion;
    services.readAnswer = ReadRouterAnswer;
    services.nowMs = SteadyNowMs;
    return services;
}

std::string ConfirmationText(ConfirmationState state, const std::string& version) {
    switch (state) {
        case ConfirmationState::Confirmed:
            return std::string(LoadString(IDS_CONFIRMED_VERSION)) + version + ".";
        case ConfirmationState::OtherVersion:
            return std::string(LoadString(IDS_OTHER_VERSION_HEAD)) + version +
                   std::string(LoadString(IDS_OTHER_VERSION_TAIL));
        case ConfirmationState::NotBack:
            return std::string(LoadString(IDS_ROUTER_NOT_BACK));
        case ConfirmationState::RefusesPassword:
            return std::string(LoadString(IDS_ROUTER_REFUSES_PASSWORD));
        case ConfirmationState::Watching:
            break;
    }
    return {};
}

ConfirmationWatch::ConfirmationWatch(ConfirmationWatchServices services, Report report, AttemptLog* log)
    : services(std::move(services)), report(std::move(report)), log(log) {}

ConfirmationWatch::~ConfirmationWatch() {
    Stop();
    Join();
}

bool ConfirmationWatch::Start(const RouterAddress& router, const std::string& credential,
                              const std::string& expectedVersion) {
    const std::string address = router.Dotted();
    if (thread.joinable() || Stopped() || !services.probe ||
        (!services.readVersion && !services.readAnswer)) {
        return false;
    }
    const auto work = [this, address, credential, expectedVersion] {
        Run(address, credential, expectedVersion);
    };
    return services.startThread && services.startThread(thread, work) && thread.joinable();
}

void ConfirmationWatch::Stop() {
    {
        const std::lock_guard<std::mutex> lock(wakeMutex);
        stopped.store(true, std::memory_order_release);
    }
    wake.notify_all();
}

void ConfirmationWatch::Join() {
    if (thread.joinable()) {
        thread.join();
    }
}

void ConfirmationWatch::Pause(int ms) {
    if (services.pause) {
        services.pause(ms);
        return;
    }
    std::unique_lock<std::mutex> lock(wakeMutex);
    wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Stopped(); });
}

void ConfirmationWatch::Tell(ConfirmationState state, const std::string& version) {
    if (!Stopped() && report) {
        report(state, version);
    }
}

void ConfirmationWatch::Run(const std::string& address, const std::string& credential,
                            const std::string& expectedVersion) {
    const auto now = [this] { return services.nowMs ? services.nowMs() : SteadyNowMs(); };
    const std::function<bool()> stoppedCheck = [this] { return Stopped(); };
    const std::int64_t start = now();
    if (log != nullptr) {
        log->Write("confirmation", "watching " + address + " for " + log->Outside(expectedVersion));
    }
    Tell(ConfirmationState::Watching, {});
    bool answered = false;
    int refusals = 0;  // status queries in a row that the router refused
    while (!Stopped()) {
        const std::int64_t cycleStart = now();
        if (cycleStart - start >= services.watchMs) {
            if (log != nullptr) {
                log->Write("confirmation", std::string(answered ? "router answers pings but named no version"
                                                                : "router not back") +
                                               " after " + Seconds(cycleStart - start));
            }
            Tell(ConfirmationState::NotBack, {});
            return;
        }
        if (services.probe(address) && !Stopped()) {
            answered = true;
            const RouterVersionAnswer got =
                services.readAnswer
                    ? services.readAnswer(address, credential, stoppedCheck)
                    : RouterVersionAnswer{services.readVersion(address, credential, stoppedCheck)};
            const std::optional<std::string>& version = got.version;
            refusals = got.passwordRefused ? refusals + 1 : 0;
            if (refusals >= kRefusalsToGiveUp && !Stopped()) {
                if (log != nullptr) {
                    log->Write("confirmation",
                               "router back after " + Seconds(now() - start) + " but refuses the password");
                }
                Tell(ConfirmationState::RefusesPassword, {});
                return;
            }
            if (version && !Stopped()) {
                const bool same = *version == expectedVersion;
                if (log != nullptr) {
                    log->Write("confirmation", "router back after " + Seconds(now() - start) + ", runs " +
                                                   log->Outside(*version) +
                                                   (same ? " (confirmed)" : " (not the carried version)"));
                }
                Tell(same ? ConfirmationState::Confirmed : ConfirmationState::OtherVersion, *version);
                return;
            }
        }
        const std::int64_t spent = now() - cycleStart;
        if (spent < kConfirmationProbeIntervalMs && !Stopped()) {
            Pause(static_cast<int>(kConfirmationProbeIntervalMs - spent));
        }
    }
    if (log != nullptr) {
        log->Write("confirmation", "stopped by the user after " + Seconds(now() - start));
    }
}

}  // namespace fwu
