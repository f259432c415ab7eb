#include "platform/ProcessStats.h"

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

}  // namespace fwu::platform
