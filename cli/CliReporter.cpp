#include "cli/CliReporter.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/JsonLine.h"
#include "cli/TerminalWords.h"

namespace fwu::cli {
namespace {

bool HasPercent(Phase phase) {
    return phase == Phase::Sending || phase == Phase::WritingFlash;
}

std::string_view PhaseName(Phase phase) {
    switch (phase) {
        case Phase::Checking:
            return "checking";
        case Phase::Sending:
            return "sending";
        case Phase::WritingFlash:
            return "writing-flash";
        case Phase::Confirming:
            return "confirming";
    }
    return "checking";
}

void TextOrNull(JsonLine& line, std::string_view key, const std::optional<std::string>& text) {
    if (text) {
        line.Text(key, ShownText(*text));
    } else {
        line.Null(key);
    }
}

}  // namespace

ReportStyle ChooseReportStyle(bool json, bool outputIsTerminal) {
    if (json) {
        return ReportStyle::Json;
    }
    return outputIsTerminal ? ReportStyle::Terminal : ReportStyle::Plain;
}

std::string_view PhaseLabel(Phase phase) {
    return phase == Phase::WritingFlash ? "writing flash" : PhaseName(phase);
}

std::string_view VerdictLabel(ExitCode code) {
    switch (code) {
        case ExitCode::Success:
            return "upgraded";
        case ExitCode::UpgradeFailed:
            return "upgrade failed";
        case ExitCode::Usage:
            return "wrong usage";
        case ExitCode::RouterCheckFailed:
            return "router check failed";
        case ExitCode::DowngradeDeclined:
            return "downgrade declined";
        case ExitCode::ImageDamaged:
            return "carried image damaged";
        case ExitCode::AlreadyRunning:
            return "another copy is running";
        case ExitCode::StoppedByInterrupt:
        case ExitCode::StoppedByTerminate:
            return "stopped";
    }
    return "upgrade failed";
}

std::string_view VerdictName(ExitCode code) {
    switch (code) {
        case ExitCode::Success:
            return "upgraded";
        case ExitCode::UpgradeFailed:
            return "upgrade-failed";
        case ExitCode::Usage:
            return "usage";
        case ExitCode::RouterCheckFailed:
            return "router-check-failed";
        case ExitCode::DowngradeDeclined:
            return "downgrade-declined";
        case ExitCode::ImageDamaged:
            return "image-damaged";
        case ExitCode::AlreadyRunning:
            return "already-running";
        case ExitCode::StoppedByInterrupt:
        case ExitCode::StoppedByTerminate:
            return "stopped";
    }
    return "upgrade-failed";
}

std::string ProgressBar(int percent, int width) {
    // The run's percent is 0 to 100; the fill is bounded by the bar all the same.
    const int filled = std::clamp(width * percent / 100, 0, width);
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '.') + "]";
}

std::string FormatRate(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond < 1000.0) {
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    } else if (bytesPerSecond < 1000.0 * 1000.0) {
        std::snprintf(text, sizeof text, "%.1f kB/s", bytesPerSecond / 1000.0);
    } else {
        std::snprintf(text, sizeof text, "%.2f MB/s", bytesPerSecond / (1000.0 * 1000.0));
    }
    return text;
}

CliReporter::CliReporter(std::ostream& out, ReportStyle style) : out(out), style(style) {}

void CliReporter::OnStart(const RunStart& start, Milliseconds now) {
    if (style != ReportStyle::Json) {
        return;
    }
    JsonLine line;
    line.Number("schema", 1);
    line.Text("program_version", ShownText(start.programVersion));
    line.Text("model", ShownText(start.model));
    line.Text("carried_version", ShownText(start.carriedVersion));
    line.Text("address", start.address);
    WriteJson("start", line, now);
}

void CliReporter::OnCheck(std::string_view routerVersion, std::string_view action, Milliseconds now) {
    if (style != ReportStyle::Json || onlyStartAndResult) {
        return;
    }
    JsonLine line;
    if (routerVersion.empty()) {
        line.Null("router_version");
    } else {
        line.Text("router_version", ShownText(routerVersion));
    }
    line.Text("action", action);
    WriteJson("check", line, now);
}

void CliReporter::OnPhase(Phase next, Milliseconds now) {
    if (onlyStartAndResult) {
        return;
    }
    phase = next;
    percent = 0;
    lastDecile = 0;
    phaseStart = now;
    lastEvent = now;
    phaseStartBytes = bytes;
    switch (style) {
        case ReportStyle::Terminal:
            EndOpenLine();
            Redraw(HasPercent(phase) ? ProgressText(true) : std::string(PhaseLabel(phase)) + "...");
            break;
        case ReportStyle::Plain:
            out << PhaseLabel(phase) << "\n" << std::flush;
            break;
        case ReportStyle::Json: {
            JsonLine line;
            line.Text("phase", PhaseName(phase));
            WriteJson("phase", line, now);
            break;
        }
    }
}

void CliReporter::OnProgress(int newPercent, std::uint64_t newBytes, Milliseconds now) {
    if (onlyStartAndResult) {
        return;
    }
    percent = newPercent;
    bytes = newBytes;
    lastEvent = now;
    switch (style) {
        case ReportStyle::Terminal:
            if (HasPercent(phase)) {
                Redraw(ProgressText(true));
            }
            break;
        case ReportStyle::Plain:
            // One line for each tenth reached; a jump over several tenths gives one line, for the last.
            if (HasPercent(phase) && percent / 10 > lastDecile) {
                lastDecile = percent / 10;
                out << ProgressText(false) << "\n" << std::flush;
            }
            break;
        case ReportStyle::Json:
            if (HasPercent(phase)) {
                JsonLine line;
                line.Text("phase", PhaseName(phase));
                line.Number("percent", percent);
                line.Number("bytes", static_cast<std::int64_t>(bytes));
                if (phase == Phase::Sending && lastEvent > phaseStart) {
                    line.Number("rate", static_cast<std::int64_t>(Rate()));
                }
                WriteJson("progress", line, now);
            }
            break;
    }
}

void CliReporter::OnResult(const RunResult& result, Milliseconds now) {
    if (style == ReportStyle::Json) {
        JsonLine line;
        line.Number("exit", ToInt(result.code));
        line.Text("verdict", result.verdict);
        line.Text("address", result.address);
        TextOrNull(line, "router_version_before", result.routerVersionBefore);
        line.Text("carried_version", ShownText(result.carriedVersion));
        TextOrNull(line, "router_version_after", result.routerVersionAfter);
        line.Text("cause", ShownText(result.cause));
        line.Bool("image_sent", result.imageSent);
        if (result.action) {
            line.Text("action", *result.action);
        }
        WriteJson("result", line, now);
        return;
    }
    EndOpenLine();
    out << result.label;
    if (!result.summary.empty()) {
        out << ": " << ShownText(result.summary);
    }
    out << "\n" << std::flush;
}

void CliReporter::EndLine() {
    if (style == ReportStyle::Terminal) {
        EndOpenLine();
    }
}

void CliReporter::Redraw(const std::string& line) {
    out << '\r' << line;
    if (line.size() < openLength) {
        out << std::string(openLength - line.size(), ' ');  // wipe what the longer line left
    }
    out << std::flush;
    openLength = line.size();
    lineOpen = true;
}

void CliReporter::EndOpenLine() {
    if (lineOpen) {
        out << "\n";
        lineOpen = false;
        openLength = 0;
    }
}

std::string CliReporter::ProgressText(bool bar) const {
    std::string label(PhaseLabel(phase));
    char number[64];
    std::string text;
    if (bar) {
        label.resize(14, ' ');
        std::snprintf(number, sizeof number, " %3d%%", percent);
        text = label + ProgressBar(percent, kBarWidth) + number;
    } else {
        std::snprintf(number, sizeof number, " %d%%", percent);
        text = label + number;
    }
    text += "  " + std::to_string(bytes) + " bytes";
    if (phase == Phase::Sending && lastEvent > phaseStart) {
        text += "  " + FormatRate(Rate());
    }
    return text;
}

double CliReporter::Rate() const {
    const auto elapsed = (lastEvent - phaseStart).count();
    if (elapsed <= 0 || bytes < phaseStartBytes) {
        return 0.0;
    }
    return static_cast<double>(bytes - phaseStartBytes) * 1000.0 / static_cast<double>(elapsed);
}

void CliReporter::WriteJson(const char* event, JsonLine& line, Milliseconds now) {
    line.Text("event", event);
    line.Seconds("t", now);
    out << line.Compact() << "\n" << std::flush;
}

}  // namespace fwu::cli
