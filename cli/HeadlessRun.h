// The headless upgrade in its stages: the password line, the one-copy rule with the start line, the router
// check, the upload and the watch after the restart, each a function of its own, and one place that writes
// the result. "start" is the first line and "result" the last in every ending, a signal's among them.
// What it uses outside the run's steps is handed in, so every ending is tested with fakes.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/CliFrontEnd.h"
#include "cli/CliReporter.h"
#include "cli/CommandLine.h"
#include "cli/FailureCause.h"
#include "cli/PasswordInput.h"
#include "platform/Interrupt.h"
#include "services/UpgradeServices.h"
#include "upgrade/RunMailbox.h"

namespace fwu::cli {

// What a headless run uses beside its router steps; the program hands in the real ones.
struct HeadlessParts {
    UpgradeServices& services;
    std::istream& answers;  // the downgrade question's answers
    std::ostream& out;      // progress and the verdict
    std::ostream& err;      // diagnostics and questions
    bool inputIsTerminal = false;
    bool outputIsTerminal = false;
    // A steady clock; the run counts its times from its own start.
    std::function<CliReporter::Milliseconds()> now;
    // The one-copy rule: true when no other copy runs for this user (this one now answers later ones).
    std::function<bool()> claimOneCopy;
    // Writes the set-up's notes to the log once it is begun (where the one-copy socket lives); may be empty.
    std::function<void(AttemptLog&)> noteSetUp;
    // The --password-stdin line, read once `lineArrives` is true (see ReadPasswordFromStandardInput).
    std::function<PasswordLine(const std::function<bool()>& lineArrives)> readPassword;
    // Waits up to `ms` for standard input to have a line, or its end: true then.
    std::function<bool(int ms)> inputReady;
    // The stop request (a signal) taken since the last call; StopSignal::None for none.
    std::function<platform::StopSignal()> takeStop;
    // Called after each look at the run's messages (about every 100 ms while the upload and the watch run),
    // for the program's other events (a later copy asking this one to show itself); may be empty.
    std::function<void()> afterLook = {};
};

// The exit status for a signal: 130 for Ctrl-C as the shells count it, 143 for SIGTERM and SIGHUP.
ExitCode StoppedBy(platform::StopSignal signal);

// The causes of a stop, by where the run was: the first three say that nothing was sent.
inline constexpr std::string_view kStoppedBeforeCheck =
    "the upgrade was stopped before the router check; nothing was sent to the router";
inline constexpr std::string_view kStoppedDuringCheck =
    "the upgrade was stopped during the router check; nothing was sent to the router";
inline constexpr std::string_view kStoppedAtQuestion =
    "the upgrade was stopped at the downgrade question; nothing was sent to the router";
inline constexpr std::string_view kStoppedDuringWatch =
    "the upgrade was stopped after the router took the image and restarted: its new version was not "
    "confirmed; check the router's version before running again";

class HeadlessRun {
public:
    // `parts` must outlive the run.
    HeadlessRun(const CliOptions& options, HeadlessParts& parts);
    ~HeadlessRun();  // a check left running is joined first: it uses the run
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // Runs every stage up to the ending; answers the exit status.
    int Run();
    // True when a stop left the router check running (see CliFrontEnd::CheckLeftRunning).
    bool CheckLeftRunning() const { return frontEnd.CheckLeftRunning(); }

private:
    // Each stage answers the exit status when the run ends in it, nothing when the run goes on.
    std::optional<int> ReadPassword();
    std::optional<int> Begin();
    std::optional<int> CheckRouter();
    std::optional<int> Upload();
    int Watch();

    // The one place that ends the run: the start line if none was written, the cause on standard error,
    // the log's exit line and the result line.
    int Finish(ExitCode code, std::string_view verdict = {});
    int Fail(const HeadlessVerdict& verdict);
    int Stopped(std::string_view cause);
    // Takes a signal that came since the last look; true when one did (it is then pending).
    bool StopRequested();
    void WriteStart();
    void Diagnose(std::string_view text);
    // Hands the worker's and the watch's messages to the run, waiting up to 100 ms for one.
    void Look();
    CliReporter::Milliseconds Elapsed() const { return parts.now() - begun; }

    const CliOptions& options;
    HeadlessParts& parts;
    CliReporter::Milliseconds begun;
    FirmwareInfo info;
    CliReporter reporter;
    CliFrontEnd frontEnd;
    QueuedRunMailbox mailbox;  // before the run: its worker and watch post to it until the run ends
    UpgradeRun run;
    AttemptLog* log = nullptr;  // once the log is begun
    std::optional<std::string> password;
    RunResult result;
    bool startWritten = false;
    bool stopPending = false;  // a signal was taken and not yet refused
    platform::StopSignal lastSignal = platform::StopSignal::None;
};

}  // namespace fwu::cli
