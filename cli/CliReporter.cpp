#include "cli/CliReporter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <ostream>

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

// A cause on one line: control characters (line breaks of a message box text among them) become blanks.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if ((c >= 0 && c < 0x20) || c == 0x7F) {
            c = ' ';
        }
    }
    return line;
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
    }
    return "upgrade-failed";
}

std::string ProgressBar(int percent, int width) {
    const int clamped = std::clamp(percent, 0, 100);
    const int filled = width * clamped / 100;
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

void CliReporter::OnPhase(Phase next, Milliseconds now) {
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
        case ReportStyle::Json:
            WriteJson(nullptr, 0, {}, false);
            break;
    }
}

void CliReporter::OnProgress(int newPercent, std::uint64_t newBytes, Milliseconds now) {
    percent = std::clamp(newPercent, 0, 100);
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
            WriteJson(nullptr, 0, {}, phase == Phase::Sending);
            break;
    }
}

void CliReporter::OnVerdict(ExitCode code, std::string_view cause) {
    if (style == ReportStyle::Json) {
        const std::string name(VerdictName(code));
        WriteJson(name.c_str(), ToInt(code), cause, false);
        return;
    }
    EndOpenLine();
    out << VerdictLabel(code);
    if (!cause.empty()) {
        out << ": " << OneLine(cause);
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

void CliReporter::WriteJson(const char* verdictName, int exitCode, std::string_view cause, bool withRate) {
    QJsonObject object;
    object.insert(QStringLiteral("phase"), QString::fromLatin1(PhaseName(phase)));
    object.insert(QStringLiteral("percent"), percent);
    object.insert(QStringLiteral("bytes"), static_cast<qint64>(bytes));
    if (withRate && lastEvent > phaseStart) {
        object.insert(QStringLiteral("rate"), static_cast<qint64>(Rate()));
    }
    if (verdictName != nullptr) {
        object.insert(QStringLiteral("verdict"), QString::fromLatin1(verdictName));
        object.insert(QStringLiteral("exit"), exitCode);
        object.insert(QStringLiteral("cause"),
                      QString::fromUtf8(cause.data(), static_cast<qsizetype>(cause.size())));
    }
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << "\n" << std::flush;
}

}  // namespace fwu::cli
