// Command-line options of the simulated router and the ways it can be told to misbehave.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/router-sim/RouterFacts.h"

namespace fwu::sim {

enum class Fault {
    None,
    Status11,            // status page answered with "HTTP/1.1 200 OK"
    SplitStatus,         // status line split across two sends with a pause between
    SplitMarker,         // "Firmware Version:<version>" and the "," that ends it in different sends
    NoMarker,            // status page without "Firmware Version:"
    LongPage,            // more than 4 KiB of page before the marker
    NeverClose,          // status page sent, connection kept open
    Reset,               // every accepted connection reset at once
    Closed,              // nothing listens on the port
    NoRestart,           // uploads accepted, the router never falls silent
    ResetUpload,         // connection reset part-way through an upload body
    BlankVersion,        // a blank between "Firmware Version:" and the version
    Drip,                // status page head at once, then the page one byte every dripMs
    DripNul,             // status page head at once, then one NUL byte every dripMs
    KeepVersion,         // uploads taken, flash and restart as usual, back with the version it had before
    LatestVersionField,  // "Latest Firmware Version:v9.99.99," on the status page before the real field
    TwoVersions,         // the status page names the marker twice, the second time with v9.99.99
};

struct SimOptions {
    std::string address = "0.0.0.0";
    int port = kRouterHttpPort;
    std::string password = "rodel";
    std::string version = "v2.00.20";
    std::string logPath;  // JSON lines; empty: no log
    std::string saveDir;  // where received images are stored; empty: not stored
    int flashMs = 1500;
    int restartMs = 20000;
    int ioTimeoutMs = 10000;   // longest wait for the next bytes of a request
    bool startSilent = false;  // begin as if restarting: silent for restartMs, then back
    Fault fault = Fault::None;
    int dripMs = 1000;  // pause before each byte of the drip modes
    // Upload-side faults. Either one makes an upload that checks out end without flash and restart.
    std::string uploadAnswer;  // the status line that answers it instead of "HTTP/1.0 200 Ok"
    int missPingsMs = 0;       // after it, pings go unanswered this long, once; then answered for good
};

// The option's spelling on the command line ("split-status"), and back.
std::string_view FaultName(Fault fault);
std::optional<Fault> FaultFromName(std::string_view name);

// Parses the arguments after the program name. On failure returns nothing and sets `error` to a one-line
// message; `--help` also returns nothing with `error` empty.
std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error);

// One paragraph per option, for --help.
std::string SimUsage();

// True when an upload that checks out is answered but never followed by flash and restart.
bool UploadWithoutRestart(const SimOptions& options);

// True when the options can make the router fall silent, which needs its own network namespace.
bool NeedsPingSwitch(const SimOptions& options);

// True for a dotted IPv4 address of four decimal parts 0 to 255.
bool IsDottedIPv4(std::string_view text);

}  // namespace fwu::sim
