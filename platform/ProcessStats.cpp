#include "platform/ProcessStats.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
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

// utime + stime of one thread, in ticks, from its stat line (fields 14 and 15, counted after the name,
// which may itself hold blanks and parentheses); -1 when it cannot be read.
long ThreadTicks(const std::string& path) {
    std::ifstream file(path);
    const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 > line.size()) {
        return -1;
    }
    std::istringstream fields(line.substr(nameEnd + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index >= 14) {
            try {
                ticks += std::stol(field);
            } catch (...) {
                return -1;
            }
        }
    }
    return ticks;
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

ThreadSplit ThreadCpuSplit() {
    const long tick = sysconf(_SC_CLK_TCK);
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr || tick <= 0) {
        if (tasks != nullptr) {
            closedir(tasks);
        }
        return {};
    }
    const std::string self = std::to_string(getpid());
    ThreadSplit split;
    while (const dirent* entry = readdir(tasks)) {
        const std::string id = entry->d_name;
        if (id.empty() || id[0] == '.') {
            continue;
        }
        const long ticks = ThreadTicks("/proc/self/task/" + id + "/stat");
        if (ticks < 0) {
            continue;
        }
        (id == self ? split.mainMs : split.othersMs) += 1000.0 * static_cast<double>(ticks) / tick;
    }
    closedir(tasks);
    return split;
}

}  // namespace fwu::platform
