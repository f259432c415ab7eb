#include "tools/router-sim/LabNamespace.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace fwu::sim {
namespace {

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool InsideLabNamespace(const char* nameVariable, std::string& why) {
    const char* name = std::getenv(nameVariable);
    if (name == nullptr || !IsPlainName(name)) {
        why = std::string(nameVariable) + " is not set to a namespace name: not started by scripts/lab";
        return false;
    }
    const std::string registered = std::string("/run/netns/") + name;
    struct stat own {};
    struct stat lab {};
    if (::stat("/proc/self/ns/net", &own) != 0) {
        why = std::string("cannot read /proc/self/ns/net: ") + std::strerror(errno);
        return false;
    }
    if (::stat(registered.c_str(), &lab) != 0) {
        why = "cannot read " + registered + ": " + std::strerror(errno);
        return false;
    }
    if (own.st_dev != lab.st_dev || own.st_ino != lab.st_ino) {
        why = "this process does not run in the network namespace " + registered;
        return false;
    }
    return true;
}

bool SetIgnoreEchoRequests(bool ignore, std::string& why) {
    // Checked on every write: outside the lab this would silence the machine's own namespace.
    if (!InsideLabNamespace("FWU_LAB_ROUTER_NETNS", why)) {
        return false;
    }
    std::FILE* f = std::fopen("/proc/sys/net/ipv4/icmp_echo_ignore_all", "w");
    if (f == nullptr) {
        why = std::string("cannot open icmp_echo_ignore_all: ") + std::strerror(errno);
        return false;
    }
    const bool written = std::fputs(ignore ? "1\n" : "0\n", f) >= 0;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        why = "cannot write icmp_echo_ignore_all";
        return false;
    }
    return true;
}

}  // namespace fwu::sim
