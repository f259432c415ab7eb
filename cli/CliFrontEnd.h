// The upgrade run's view on a terminal: the run's phases and progress fed to CliReporter, the downgrade
// question asked on the terminal (or answered by --yes, or refused without a terminal), the refused stop
// said on standard error, and the upload's end kept for the verdict.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

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
    };
    using Clock = std::function<CliReporter::Milliseconds()>;
    // One diagnostic line for standard error, in terminal words.
    using Diagnose = std::function<void(std::string_view text)>;

    // `reporter`, `questions` (where a question and its refusal are written) and `answers` must outlive
    // the front end.
    CliFrontEnd(CliReporter& reporter, std::ostream& questions, std::istream& answers, Settings settings,
                Clock clock, Diagnose diagnose);

    // The upload's end as the run told it; nothing before.
    const std::optional<UploadVerdict>& UploadEnd() const { return uploadEnd; }

    void OnPhase(RunPhase phase) override;
    void OnProgress(const UploadProgress& progress) override;
    void OnPercentReset(std::uint64_t bodyBytes) override;
    void OnStatusText(int stringId) override;
    void OnUploadEnded(const UploadVerdict& verdict) override { uploadEnd = verdict; }
    bool ConfirmDowngrade(const std::string& routerVersion, const std::string& carriedVersion) override;
    // A signal stops the transfer without a question (UpgradeRun::Stop); never asked.
    bool ConfirmStop() override { return true; }

private:
    CliReporter& reporter;
    std::ostream& questions;
    std::istream& answers;
    Settings settings;
    Clock clock;
    Diagnose diagnose;
    std::optional<UploadVerdict> uploadEnd;
};

}  // namespace fwu::cli
