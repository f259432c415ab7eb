// Proposing the router's address at start-up: the first of the PC's default gateways that answers a
// probe, else the default address. How the gateways are listed depends on the system: a network
// configuration report read from a command, or the adapter list.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Adapters.h"
#include "platform/OsVersion.h"
#include "router/Probe.h"

namespace fwu {

// The system classes that decide the route (the window keeps the value as osClass).
inline constexpr int kOsClassUnknown = -255;  // version unknown or another platform: default address
inline constexpr int kOsClassWin32s = -1;     // default address
inline constexpr int kOsClassWin95 = 0;       // report of the winipcfg command
inline constexpr int kOsClassWin98 = 1;       // adapter list
inline constexpr int kOsClassNt = 2;          // report of the ipconfig command, candidates shown
inline constexpr int kOsClassWin2000 = 3;     // adapter list
inline constexpr int kOsClassXp = 4;          // adapter list
inline constexpr int kOsClassNotWindows = 5;  // adapter list from the kernel's routing table

// The Windows class of a platform identifier (0 Win32s, 1 Windows, 2 NT) and version.
int ClassifyWindows(int platformId, int major, int minor);

// The class of this system: not Windows, an unknown version, or the Windows class of its version.
int ClassifyOs(const platform::OsVersion& version);

using GatewayProber = std::function<bool(const std::string& address)>;
using MessageSink = std::function<void(const std::string& text)>;

// The gateway candidates of a network configuration report, in order: the report is upper-cased; for
// each "DEFAULT GATEWAY" the text after the first colon that follows it and the one character after
// that colon, up to the next line end. Empty candidates and an occurrence that no colon follows are
// skipped; a candidate that no line end closes is empty.
std::vector<std::string> GatewayCandidatesFromReport(std::string_view report);

// The first candidate of the report that answers the probe, else the default address. With
// `showCandidates`, each candidate is shown before its probe and the result once more at the end.
std::string GatewayFromReport(std::string_view report, bool showCandidates, const GatewayProber& probe,
                              const MessageSink& show);

enum class GatewayCommand {
    Winipcfg,  // "<interpreter> /c winipcfg /batch <report>"
    Ipconfig,  // "<interpreter> /c ipconfig /all", its output into <report>
};

// Runs a command and waits for it within a time limit; with `stdoutPath`, its output goes to that file.
using CommandRunner =
    std::function<void(const std::vector<std::string>& argv, const std::string& stdoutPath)>;

struct GatewayCommandServices {
    std::string commandInterpreter;  // the COMSPEC value; empty when it is not set
    CommandRunner run;
    GatewayProber probe;
    MessageSink show;
};

// Runs the command through the interpreter with its report in a private temporary folder, reads and
// deletes the report and picks the gateway from it. Empty when no report could be read.
std::string GatewayFromCommand(GatewayCommand command, bool showCandidates,
                               const GatewayCommandServices& tools);

// The first gateway of each adapter, in order, probed; the first that answers, else the default
// address. An empty list or a system without one is reported through `show`.
std::string GatewayFromAdapters(const std::function<platform::AdapterList()>& adapters,
                                const GatewayProber& probe, const MessageSink& show);

// What gateway discovery uses from the system; tests replace any of it.
struct GatewayDiscoveryServices {
    std::function<platform::OsVersion()> osVersion;
    std::function<platform::AdapterList()> adapters;
    GatewayProber probe;
    // When set, used instead of `probe`: tells what sent the probe, and a candidate that could not be
    // probed at all from one that did not answer.
    std::function<ProbeAttempt(const std::string& address)> probeAttempt = {};
    CommandRunner runCommand;
    std::string commandInterpreter;
    // Told each candidate with its probe's outcome ("candidate 10.0.0.138: answered", with
    // probeAttempt "candidate 10.0.0.138: answered (raw socket)" or "...: not probed (no means of
    // pinging)"), then the address
    // proposed ("proposed 10.0.0.138"); may be empty. For the log of the attempt.
    MessageSink report;
};

// The system's own tools: its version, its adapter list, the ICMP probe, a bounded command run and the
// COMSPEC variable.
GatewayDiscoveryServices SystemGatewayDiscoveryServices();

// The proposed router address, never empty. `osClass` (optional) receives the class that chose the route.
std::string FindDefaultGateway(const MessageSink& show, const GatewayDiscoveryServices& tools,
                               int* osClass = nullptr);

// FindDefaultGateway with the system's own tools.
std::string FindDefaultGateway(const MessageSink& show);

// FindDefaultGateway with the system's own tools, telling `report` the candidates, probes and proposal.
std::string FindDefaultGateway(const MessageSink& show, const MessageSink& report);

}  // namespace fwu
