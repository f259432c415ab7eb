// Gateway discovery: the class of the system picks the route, each route lists candidates and probes
// them in order, and every route that yields nothing ends with the default address.
#include "router/GatewayDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include "platform/Process.h"
#include "res/StringTable.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

constexpr std::string_view kGatewayKey = "DEFAULT GATEWAY";
constexpr const char* kReportFileName = "gateway.dat";
// A configuration report is a few kilobytes; anything beyond this is not read.
constexpr qint64 kMaxReportBytes = 1024 * 1024;
// The longest the configuration command may run before it is stopped.
constexpr int kCommandTimeoutMs = 30000;

std::string UpperCaseAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

void Show(const MessageSink& show, const std::string& text) {
    if (show) {
        show(text);
    }
}

bool Probe(const GatewayProber& probe, const std::string& address) {
    return probe && probe(address);
}

void RunGatewayCommand(const std::vector<std::string>& argv, const std::string& stdoutPath) {
    platform::RunOptions options;
    options.timeoutMs = kCommandTimeoutMs;
    options.stdoutPath = stdoutPath;
    platform::RunAndWait(argv, options);
}

}  // namespace

int ClassifyWindows(int platformId, int major, int minor) {
    switch (platformId) {
        case 0:
            return kOsClassWin32s;
        case 1:
            return (major < 4 || (major == 4 && minor < 1)) ? kOsClassWin95 : kOsClassWin98;
        case 2:
            if (major != 5) {
                return kOsClassNt;
            }
            return minor > 0 ? kOsClassXp : kOsClassWin2000;
        default:
            return kOsClassUnknown;
    }
}

int ClassifyOs(const platform::OsVersion& version) {
    if (version.family != platform::OsFamily::Windows) {
        return kOsClassNotWindows;
    }
    return version.known ? ClassifyWindows(version.platformId, version.major, version.minor)
                         : kOsClassUnknown;
}

std::vector<std::string> GatewayCandidatesFromReport(std::string_view report) {
    const std::string text = UpperCaseAscii(report);
    std::vector<std::string> candidates;
    std::size_t pos = text.find(kGatewayKey);
    while (pos != std::string::npos) {
        const std::size_t colon = text.find(':', pos + kGatewayKey.size());
        if (colon == std::string::npos) {
            // Nothing to read for this occurrence; look for the next one.
            pos = text.find(kGatewayKey, pos + kGatewayKey.size());
            continue;
        }
        // The colon and the blank after it.
        const std::size_t valueBegin = std::min(colon + 2, text.size());
        const std::size_t lineEnd = text.find_first_of("\r\n", valueBegin);
        std::size_t rest = valueBegin;
        if (lineEnd != std::string::npos) {
            if (lineEnd > valueBegin) {
                candidates.push_back(text.substr(valueBegin, lineEnd - valueBegin));
            }
            rest = lineEnd + 1;
        }
        pos = text.find(kGatewayKey, rest);
    }
    return candidates;
}

std::string GatewayFromReport(std::string_view report, bool showCandidates, const GatewayProber& probe,
                              const MessageSink& show) {
    std::string result;
    for (const std::string& candidate : GatewayCandidatesFromReport(report)) {
        if (showCandidates) {
            Show(show, candidate);
        }
        if (Probe(probe, candidate)) {
            result = candidate;
            break;
        }
    }
    if (result.empty()) {
        result = DefaultRouterAddress();
    }
    if (showCandidates) {
        Show(show, result);
    }
    return result;
}

std::string GatewayFromCommand(GatewayCommand command, bool showCandidates,
                               const GatewayCommandServices& tools) {
    // A folder of our own, so no other user can plant or read the report.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return {};
    }
    const std::string reportPath = QDir(folder.path()).filePath(kReportFileName).toStdString();
    if (!tools.commandInterpreter.empty() && tools.run) {
        if (command == GatewayCommand::Winipcfg) {
            tools.run({tools.commandInterpreter, "/c", "winipcfg", "/batch", reportPath}, {});
        } else {
            tools.run({tools.commandInterpreter, "/c", "ipconfig", "/all"}, reportPath);
        }
    }
    QFile file(QString::fromStdString(reportPath));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.read(kMaxReportBytes);
    file.close();
    file.remove();
    return GatewayFromReport(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                             showCandidates, tools.probe, tools.show);
}

std::string GatewayFromAdapters(const std::function<platform::AdapterList()>& adapters,
                                const GatewayProber& probe, const MessageSink& show) {
    if (!adapters) {
        return DefaultRouterAddress();
    }
    const platform::AdapterList list = adapters();
    if (list.status == platform::AdapterListStatus::NoAdapters) {
        Show(show, std::string(LoadString(IDS_NO_ADAPTERS)));
        return DefaultRouterAddress();
    }
    if (list.status == platform::AdapterListStatus::Unsupported) {
        Show(show, std::string(LoadString(IDS_ADAPTERS_UNSUPPORTED)));
        return DefaultRouterAddress();
    }
    for (const platform::NetworkAdapter& adapter : list.adapters) {
        // Only the first gateway of each adapter is tried.
        if (!adapter.gateways.empty() && !adapter.gateways.front().empty() &&
            Probe(probe, adapter.gateways.front())) {
            return adapter.gateways.front();
        }
    }
    return DefaultRouterAddress();
}

GatewayDiscoveryServices SystemGatewayDiscoveryServices() {
    GatewayDiscoveryServices tools;
    tools.osVersion = platform::QueryOsVersion;
    tools.adapters = platform::ReadAdapterList;
    tools.probe = [](const std::string& address) { return PingHost(address); };
    tools.probeAttempt = [](const std::string& address) { return ProbeHostAttempt(address, kProbeWaitMs); };
    tools.runCommand = RunGatewayCommand;
    if (const char* interpreter = std::getenv("COMSPEC")) {
        tools.commandInterpreter = interpreter;
    }
    return tools;
}

std::string FindDefaultGateway(const MessageSink& show, const GatewayDiscoveryServices& tools, int* osClass) {
    const int found = tools.osVersion ? ClassifyOs(tools.osVersion()) : kOsClassUnknown;
    if (osClass != nullptr) {
        *osClass = found;
    }
    // Every probe of a candidate is reported with its outcome when a report is wanted.
    GatewayProber probe = tools.probe;
    if (tools.probeAttempt) {
        probe = [&tools](const std::string& candidate) {
            const ProbeAttempt attempt = tools.probeAttempt(candidate);
            if (tools.report) {
                const std::string means(ProbeMeansName(attempt.means));
                tools.report("candidate " + candidate + ": " +
                             (attempt.outcome == ProbeOutcome::Answered ? "answered (" + means + ")"
                              : attempt.outcome == ProbeOutcome::Silent ? "no answer (" + means + ")"
                                                                        : "not probed (" + means + ")"));
            }
            return attempt.outcome == ProbeOutcome::Answered;
        };
    } else if (tools.report && tools.probe) {
        probe = [&tools](const std::string& candidate) {
            const bool answered = tools.probe(candidate);
            tools.report("candidate " + candidate + ": " + (answered ? "answered" : "no answer"));
            return answered;
        };
    }
    const GatewayCommandServices commandTools{tools.commandInterpreter, tools.runCommand, probe, show};
    std::string address;
    switch (found) {
        case kOsClassWin95:
            address = GatewayFromCommand(GatewayCommand::Winipcfg, false, commandTools);
            break;
        case kOsClassNt:
            address = GatewayFromCommand(GatewayCommand::Ipconfig, true, commandTools);
            break;
        case kOsClassWin98:
        case kOsClassWin2000:
        case kOsClassXp:
        case kOsClassNotWindows:
            address = GatewayFromAdapters(tools.adapters, probe, show);
            break;
        default:
            break;
    }
    if (address.empty()) {
        address = DefaultRouterAddress();
    }
    if (tools.report) {
        tools.report("proposed " + address);
    }
    return address;
}

std::string FindDefaultGateway(const MessageSink& show) {
    return FindDefaultGateway(show, SystemGatewayDiscoveryServices());
}

std::string FindDefaultGateway(const MessageSink& show, const MessageSink& report) {
    GatewayDiscoveryServices tools = SystemGatewayDiscoveryServices();
    tools.report = report;
    return FindDefaultGateway(show, tools);
}

}  // namespace fwu
