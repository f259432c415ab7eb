// The upgrade sequence's front end on a terminal: no pages to show, the login taken from the command line,
// the router check run where it is asked for, the progress fed to CliReporter, the downgrade question asked
// on the terminal (or answered by --yes, or refused without a terminal), and every ending kept as the
// run's verdict. The upload's messages reach the sequence through CliUploadWindow.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/CliReporter.h"
#include "cli/FailureCause.h"
#include "upgrade/UpgradeSequence.h"

namespace fwu::cli {

// The exit status for an error the sequence shows: the failed router check and the damaged carried image
// have their own; any other error fails the upgrade.
ExitCode ExitCodeForError(int stringId);

// An answer typed to a yes/no question: "y" or "yes" in any case, blanks around it allowed; everything
// else, an empty line among them, is no.
bool AnswerIsYes(std::string_view line);

// Longest answer line read from the terminal; the rest of a longer line is dropped.
inline constexpr std::size_t kMaxAnswerBytes = 64;

class CliFrontEnd final : public UpgradeFrontEnd {
public:
    struct Settings {
        std::optional<std::string> password;  // --password-stdin; otherwise the sequence's default
        bool assumeYes = false;               // --yes
        bool inputIsTerminal = false;         // questions can be asked on standard input
        // The body bytes the router has taken so far, as the upload's session counts them; none: 0.
        std::function<std::uint64_t()> sentBytes;
    };
    using Clock = std::function<CliReporter::Milliseconds()>;

    // `reporter`, `questions` (where a question and its refusal are written) and `answers` must outlive
    // the front end.
    CliFrontEnd(CliReporter& reporter, std::ostream& questions, std::istream& answers, Settings settings,
                Clock clock);

    // The sequence this front end serves; called once, before the sequence is driven.
    void Attach(const UpgradeSequence& sequence) { served = &sequence; }

    // The upload has been asked to start (Sending), or its transfer is over and the router writes its
    // flash (WritingFlash).
    void EnterPhase(Phase phase);
    // Whether StartUploadJob started a worker.
    void UploadStarted(bool started) { verdict.uploadStarted = started; }
    // The worker's final result, as it was posted.
    void UploadDone(unsigned result) { verdict.workerResult = result; }

    // The run's ending, once there is one.
    std::optional<HeadlessVerdict> Verdict() const;

    void BeginPageChange() override {}
    void LeavePage(PageNumber) override {}
    void EnterPage(PageNumber page) override;
    void EndPageChange() override {}
    std::optional<TypedLogin> ReadLogin() override;
    void CheckStarted() override;
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;
    void CheckEnded() override {}
    int ShowProgress(int percent) override;
    void SetShownPercent(int) override {}
    void ShowUploadFailed(int lastPercent) override;
    void ShowUploadFailure(const UploadVerdict& failed, const std::string& causeText) override;
    bool AskYesNo(int stringId) override;
    void ShowError(int stringId) override;
    void ShowErrorWithReason(int stringId, const std::string& reason) override;
    void Pause(int) override {}  // the window lets its last percent be seen; the terminal has shown it
    void EndRun() override;

private:
    void End(ExitCode code);
    std::uint64_t SentBytes() const;

    CliReporter& reporter;
    std::ostream& questions;
    std::istream& answers;
    Settings settings;
    Clock clock;
    const UpgradeSequence* served = nullptr;
    Phase phase = Phase::Checking;
    bool declined = false;
    HeadlessVerdict verdict;
    bool ended = false;
};

}  // namespace fwu::cli
