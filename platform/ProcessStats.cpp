#include "platform/ProcessStats.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace fwu::platform {
namespace {

// The number on a "Key:   123 kB" line of /proc/self/status; -1 when there is none.
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

// The first line of a small /proc file, or empty when it cannot be read.
std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
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

double CurrentThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::vector<ThreadCpu> ThreadCpuTimes() {
    std::vector<ThreadCpu> threads;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return threads;
    }
    while (const dirent* entry = readdir(tasks)) {
        const std::string id = entry->d_name;
        if (id.empty() || id[0] == '.') {
            continue;
        }
        // schedstat: the time the thread has run and has waited to run, in nanoseconds, and the number of
        // times it was put on a CPU.
        std::istringstream fields(FirstLine("/proc/self/task/" + id + "/schedstat"));
        double runNs = 0;
        double waitNs = 0;
        long runs = 0;
        if (fields >> runNs >> waitNs >> runs) {
            threads.push_back({std::strtol(id.c_str(), nullptr, 10), runNs / 1e6, runs});
        }
    }
    closedir(tasks);
    return threads;
}

}  // namespace fwu::platform
