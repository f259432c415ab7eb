// The upgrade run's view on a terminal: the run's phases and progress fed to CliReporter, the downgrade
// question asked on the terminal (or answered by --yes, or refused without a terminal), the refused stop
// said on standard error, and the upload's end kept for the verdict. The router check runs on a thread of its
// own, so a signal that comes while it waits on the router is taken at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "cli/CliReporter.h"
#include "upgrade/UpgradeRun.h"

namespace fwu::cli {

// An answer typed to a yes/no question: "y" or "yes" in any case, blanks around it allowed; everything
// else, an empty line among them, is no.
bool AnswerIsYes(std::string_view line);

// Longest answer line read from the terminal; the rest of a longer line is dropped.
inline constexpr std::size_t kMaxAnswerBytes = 64;

class CliFrontEnd final : public UpgradeRunView {
public:
    struct Settings {
        bool assumeYes = false;        // --yes
        bool inputIsTerminal = false;  // questions can be asked on standard input
        // Waits up to about 100 ms for an answer line: true when one can be read. Empty: one can always.
        std::function<bool()> answerReady = {};
        // True when the run is to stop (a signal came): a question waiting for its answer is answered no,
        // and the router check is left to itself. Empty: never, and the check runs on the calling thread.
        std::function<bool()> stopRequested = {};
    };
    using Clock = std::function<CliReporter::Milliseconds()>;
    // One diagnostic line for standard error, in terminal words.
    using Diagnose = std::function<void(std::string_view text)>;

    // `reporter`, `questions` (where a question and its refusal are written) and `answers` must outlive
    // the front end.
    CliFrontEnd(CliReporter& reporter, std::ostream& questions, std::istream& answers, Settings settings,
                Clock clock, Diagnose diagnose);
    ~CliFrontEnd() override;  // joins a check still running (see CheckLeftRunning)
    CliFrontEnd(const CliFrontEnd&) = delete;
    CliFrontEnd& operator=(const CliFrontEnd&) = delete;

    // The upload's end as the run told it; nothing before.
    const std::optional<UploadVerdict>& UploadEnd() const { return uploadEnd; }
    // True once the last byte of the image went out: the router took it (whatever came after).
    bool ImageSent() const { return imageSent; }
    // True when a stop left the router check running on its thread: the run's steps are still in use, so
    // the process ends without taking them down (tests end the check and join it instead).
    bool CheckLeftRunning() const { return checkThread.joinable(); }
    // Waits for a check left running.
    void JoinCheck();

    void OnPhase(RunPhase phase) override;
    void OnProgress(const UploadProgress& progress) override;
    void OnPercentReset(std::uint64_t bodyBytes) override;
    void OnStatusText(int stringId) override;
    void OnUploadEnded(const UploadVerdict& verdict) override;
    bool ConfirmDowngrade(const std::string& routerVersion, const std::string& carriedVersion) override;
    // A signal stops the transfer without a question (UpgradeRun::Stop); never asked.
    bool ConfirmStop() override { return true; }
    std::optional<RouterCheckResult> RunCheck(const std::function<RouterCheckResult()>& check) override;

private:
    CliReporter& reporter;
    std::ostream& questions;
    std::istream& answers;
    Settings settings;
    Clock clock;
    Diagnose diagnose;
    std::optional<UploadVerdict> uploadEnd;
    bool imageSent = false;
    std::thread checkThread;
};

}  // namespace fwu::cli
