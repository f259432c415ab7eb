// router-sim: the simulated router of the network lab. See SimUsage() or --help for its options.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/router-sim/EventLog.h"
#include "tools/router-sim/LabNamespace.h"
#include "tools/router-sim/Server.h"
#include "tools/router-sim/SimOptions.h"

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnStopSignal(int) {
    stopRequested.store(true);
}

void InstallSignals() {
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = fwu::sim::ParseSimOptions(args, error);
    if (!options) {
        if (error.empty()) {
            std::fputs(fwu::sim::SimUsage().c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "router-sim: %s\n", error.c_str());
        return 2;
    }
    if (fwu::sim::NeedsPingSwitch(*options)) {
        std::string why;
        if (!fwu::sim::InsideLabNamespace("FWU_LAB_ROUTER_NETNS", why)) {
            std::fprintf(
                stderr,
                "router-sim: refusing to start: falling silent switches off ping answers, which is done "
                "only in the lab's router namespace (%s); run it through scripts/lab, or use --fault "
                "no-restart or closed\n",
                why.c_str());
            return 2;
        }
    }
    fwu::sim::EventLog log;
    if (!log.Open(options->logPath)) {
        std::fprintf(stderr, "router-sim: cannot write the log %s\n", options->logPath.c_str());
        return 2;
    }
    InstallSignals();
    fwu::sim::Server server(*options, log);
    return server.Run(stopRequested, [&](int port) {
        std::printf("router-sim ready %s:%d\n", options->address.c_str(), port);
        std::fflush(stdout);
    });
}
