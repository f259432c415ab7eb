// What the headless upgrade shows while it runs: on a terminal one line redrawn in place (phase, bar,
// percent, bytes sent, rate); without a terminal one plain line per phase and per 10 %; with --json one
// JSON object per line, each with its "event" and its time "t" in seconds since the start. Fed with events
// and the time they happened, so it is tested without waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/ExitCode.h"
#include "upgrade/UpgradeRun.h"

namespace fwu::cli {

class JsonLine;

// The run's phases, as the lines name them.
using Phase = RunPhase;

enum class ReportStyle {
    Terminal,  // standard output is a terminal
    Plain,     // standard output is a file or a pipe
    Json,      // --json
};

// The style for the command line's choice and the kind of standard output.
ReportStyle ChooseReportStyle(bool json, bool outputIsTerminal);

// "checking", "sending", "writing flash", "confirming".
std::string_view PhaseLabel(Phase phase);

// The verdict of an exit status in words ("upgraded", "upgrade failed", ...) and as a JSON name
// ("upgraded", "upgrade-failed", ...).
std::string_view VerdictLabel(ExitCode code);
std::string_view VerdictName(ExitCode code);

// "[######....]" with `width` cells inside the brackets; the percent is taken within 0..100.
std::string ProgressBar(int percent, int width);

// A transfer rate: "850 B/s", "245.1 kB/s", "1.25 MB/s" (powers of 1000).
std::string FormatRate(double bytesPerSecond);

// What the first JSON line says of the run.
struct RunStart {
    std::string programVersion;
    std::string model;           // the carried image's
    std::string carriedVersion;  // empty when the image is unreadable
    std::string address;
};

// How the run ended, as the last line says it.
struct RunResult {
    ExitCode code = ExitCode::UpgradeFailed;
    std::string_view verdict;  // the JSON name: VerdictName(code), or "current", "checked", "stopped"
    std::string_view label;    // the same in words, for the verdict line
    std::string cause;         // why it failed, in terminal words; empty on success
    std::string summary;       // what a success saw (the confirmed version), shown after the label
    std::string address;
    std::optional<std::string> routerVersionBefore;  // null when unknown
    std::string carriedVersion;
    std::optional<std::string> routerVersionAfter;  // null when not confirmed
    std::optional<std::string_view> action;         // --check: what an upgrade would do
    bool imageSent = false;  // the last byte of the image went out: the router took it, whatever came after
};

class CliReporter {
public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kBarWidth = 30;

    CliReporter(std::ostream& out, ReportStyle style);

    // From now on only the start and the result are reported (--check): no phase, check or progress.
    void ReportOnlyStartAndResult() { onlyStartAndResult = true; }
    // The run begins: with --json the first line; nothing otherwise.
    void OnStart(const RunStart& start, Milliseconds now);
    // A new phase begins; its percent starts again at 0.
    void OnPhase(Phase phase, Milliseconds now);
    // The router check passed: the version it read (empty when none) and what an upgrade would do. With
    // --json a line of its own; nothing otherwise.
    void OnCheck(std::string_view routerVersion, std::string_view action, Milliseconds now);
    // The current phase's percent (taken within 0..100) and the bytes of the image sent so far.
    void OnProgress(int percent, std::uint64_t bytes, Milliseconds now);
    // The run ended: the verdict line, or with --json the last line. The cause is not on the verdict
    // line: it goes to standard error, where the caller writes it.
    void OnResult(const RunResult& result, Milliseconds now);
    // Ends a line being redrawn, so that other text (a question) starts on a line of its own.
    void EndLine();

private:
    void Redraw(const std::string& line);
    void EndOpenLine();
    void WriteJson(const char* event, JsonLine& line, Milliseconds now);
    std::string ProgressText(bool bar) const;
    double Rate() const;

    std::ostream& out;
    ReportStyle style;
    Phase phase = Phase::Checking;
    int percent = 0;
    std::uint64_t bytes = 0;
    std::uint64_t phaseStartBytes = 0;
    Milliseconds phaseStart{0};
    Milliseconds lastEvent{0};
    int lastDecile = 0;          // Plain: the last tenth of the phase that got its line
    std::size_t openLength = 0;  // Terminal: length of the line being redrawn, 0 when none is open
    bool lineOpen = false;
    bool onlyStartAndResult = false;
};

}  // namespace fwu::cli
