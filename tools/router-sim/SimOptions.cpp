#include "tools/router-sim/SimOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace fwu::sim {
namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 17> kFaultNames{{
    {Fault::None, "none"},
    {Fault::Status11, "status-1.1"},
    {Fault::SplitStatus, "split-status"},
    {Fault::SplitMarker, "split-marker"},
    {Fault::NoMarker, "no-marker"},
    {Fault::LongPage, "long-page"},
    {Fault::NeverClose, "never-close"},
    {Fault::Reset, "reset"},
    {Fault::Closed, "closed"},
    {Fault::NoRestart, "no-restart"},
    {Fault::ResetUpload, "reset-upload"},
    {Fault::BlankVersion, "blank-version"},
    {Fault::Drip, "drip"},
    {Fault::DripNul, "drip-nul"},
    {Fault::KeepVersion, "keep-version"},
    {Fault::LatestVersionField, "latest-version-field"},
    {Fault::TwoVersions, "two-versions"},
}};

constexpr int kMaxMs = 600000;

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string_view FaultName(Fault fault) {
    for (const auto& [f, name] : kFaultNames) {
        if (f == fault) {
            return name;
        }
    }
    return "none";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& [f, n] : kFaultNames) {
        if (n == name) {
            return f;
        }
    }
    return std::nullopt;
}

bool IsDottedIPv4(std::string_view text) {
    int parts = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t dot = text.find('.', start);
        if (dot == std::string_view::npos) {
            dot = text.size();
        }
        const std::string_view part = text.substr(start, dot - start);
        if (part.empty() || part.size() > 3 || !ParseInt(part, 0, 255)) {
            return false;
        }
        ++parts;
        start = dot + 1;
    }
    return parts == 4;
}

std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error) {
    SimOptions options;
    error.clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            return std::nullopt;
        }
        if (name == "--start-silent") {
            options.startSilent = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + name + " needs a value (or is unknown)";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        auto number = [&](int low, int high, int& out) {
            const auto parsed = ParseInt(value, low, high);
            if (!parsed) {
                error = name + " wants a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high);
                return false;
            }
            out = *parsed;
            return true;
        };
        if (name == "--port") {
            if (!number(0, 65535, options.port)) {
                return std::nullopt;
            }
        } else if (name == "--address") {
            if (!IsDottedIPv4(value)) {
                error = "--address wants a dotted IPv4 address";
                return std::nullopt;
            }
            options.address = value;
        } else if (name == "--password") {
            if (value.size() > 255 || HasLineBreak(value)) {
                error = "--password: at most 255 bytes, no line break";
                return std::nullopt;
            }
            options.password = value;
        } else if (name == "--version") {
            if (value.empty() || value.size() > 200 || HasLineBreak(value)) {
                error = "--version: 1 to 200 bytes, no line break";
                return std::nullopt;
            }
            options.version = value;
        } else if (name == "--log") {
            options.logPath = value;
        } else if (name == "--save-dir") {
            options.saveDir = value;
        } else if (name == "--flash-ms") {
            if (!number(0, kMaxMs, options.flashMs)) {
                return std::nullopt;
            }
        } else if (name == "--restart-ms") {
            if (!number(0, kMaxMs, options.restartMs)) {
                return std::nullopt;
            }
        } else if (name == "--io-timeout-ms") {
            if (!number(100, kMaxMs, options.ioTimeoutMs)) {
                return std::nullopt;
            }
        } else if (name == "--drip-ms") {
            if (!number(1, kMaxMs, options.dripMs)) {
                return std::nullopt;
            }
        } else if (name == "--upload-answer") {
            const bool printable =
                std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
            if (value.empty() || value.size() > 200 || !printable) {
                error = "--upload-answer: a status line of 1 to 200 printable bytes";
                return std::nullopt;
            }
            options.uploadAnswer = value;
        } else if (name == "--miss-pings-ms") {
            if (!number(1, kMaxMs, options.missPingsMs)) {
                return std::nullopt;
            }
        } else if (name == "--fault") {
            const auto fault = FaultFromName(value);
            if (!fault) {
                error = "unknown --fault " + value;
                return std::nullopt;
            }
            options.fault = *fault;
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    return options;
}

bool UploadWithoutRestart(const SimOptions& options) {
    return !options.uploadAnswer.empty() || options.missPingsMs > 0;
}

bool NeedsPingSwitch(const SimOptions& options) {
    if (options.startSilent || options.missPingsMs > 0) {
        return true;
    }
    if (UploadWithoutRestart(options)) {
        return false;
    }
    return options.fault != Fault::Closed && options.fault != Fault::NoRestart;
}

std::string SimUsage() {
    std::string faults;
    for (const auto& [fault, name] : kFaultNames) {
        faults += faults.empty() ? "" : ", ";
        faults += name;
    }
    return "usage: router-sim [options]\n"
           "  --address A        IPv4 address to listen on (0.0.0.0)\n"
           "  --port N           TCP port of the web server (80; 0: any free port, see the ready line)\n"
           "  --password P       router password (rodel)\n"
           "  --version V        firmware version the status page shows (v2.00.20)\n"
           "  --log FILE         JSON lines: one object per event\n"
           "  --save-dir DIR     store each received image as DIR/upload-N.bin\n"
           "  --flash-ms N       time spent writing flash after an upload, still answering (1500)\n"
           "  --restart-ms N     time silent after writing flash: no pings, port closed (20000)\n"
           "  --io-timeout-ms N  longest wait for the next bytes of a request (10000)\n"
           "  --start-silent     start as if restarting (silent for --restart-ms)\n"
           "  --fault MODE       misbehave on purpose: " +
           faults +
           "\n"
           "                     (keep-version: uploads taken, flash and restart as usual, but back with\n"
           "                     the version it had before, as a router whose new firmware did not take)\n"
           "  --drip-ms N        drip and drip-nul: the status page head at once, then one byte every N ms,\n"
           "                     the page's own (drip) or a NUL (drip-nul), as many as the page has (1000)\n"
           "  --upload-answer L  answer an upload that checks out with the status line L, e.g.\n"
           "                     \"HTTP/1.0 400 Bad Request\"; no flash, no restart\n"
           "  --miss-pings-ms N  after an upload that checks out, leave pings unanswered for N ms once,\n"
           "                     then answer for good; no flash, no restart, the web server stays up\n"
           "Falling silent writes icmp_echo_ignore_all of the router's own network namespace, so every mode\n"
           "that can fall silent runs only inside the lab's router namespace (FWU_LAB_ROUTER_NETNS).\n";
}

}  // namespace fwu::sim
