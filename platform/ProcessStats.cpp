#include "platform/ProcessStats.h"

#include <sys/resource.h>

#include <fstream>
#include <string>
#include <string_view>

namespace fwu::platform {
namespace {

// A "Key:   123 kB" line of /proc/self/status.
long StatusKiB(std::string_view key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':') {
            try {
                return std::stol(line.substr(key.size() + 1));
            } catch (...) {
                return -1;
            }
        }
    }
    return -1;
}

}  // namespace

long ResidentKiB() {
    return StatusKiB("VmRSS");
}

long PeakResidentKiB() {
    return StatusKiB("VmHWM");
}

CpuTimes ProcessCpuTimes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return {};
    }
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

}  // namespace fwu::platform
