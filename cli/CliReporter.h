// What the headless upgrade shows while it runs: on a terminal one line redrawn in place (phase, bar,
// percent, bytes sent, rate); without a terminal one plain line per phase and per 10 %; with --json one
// JSON object per line. Fed with events and the time they happened, so it is tested without waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "cli/ExitCode.h"

namespace fwu::cli {

enum class Phase { Checking, Sending, WritingFlash, Confirming };

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

class CliReporter {
public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kBarWidth = 30;

    CliReporter(std::ostream& out, ReportStyle style);

    // A new phase begins; its percent starts again at 0.
    void OnPhase(Phase phase, Milliseconds now);
    // The current phase's percent (taken within 0..100) and the bytes of the image sent so far.
    void OnProgress(int percent, std::uint64_t bytes, Milliseconds now);
    // The attempt ended; `cause` is the text the window shows for it (empty for none).
    void OnVerdict(ExitCode code, std::string_view cause);
    // Ends a line being redrawn, so that other text (a question) starts on a line of its own.
    void EndLine();

private:
    void Redraw(const std::string& line);
    void EndOpenLine();
    void WriteJson(const char* verdictName, int exitCode, std::string_view cause, bool withRate);
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
};

}  // namespace fwu::cli
