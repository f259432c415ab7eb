#include "cli/CliFrontEnd.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <istream>
#include <memory>
#include <mutex>
#include <ostream>
#include <system_error>

#include "cli/CommandLine.h"
#include "cli/TerminalWords.h"
#include "res/StringTable.h"

namespace fwu::cli {
namespace {

// One line of `in`, at most kMaxAnswerBytes of it kept; nothing at the end of the input.
std::optional<std::string> ReadAnswerLine(std::istream& in) {
    std::string line;
    char c = 0;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n') {
            return line;
        }
        if (line.size() < kMaxAnswerBytes) {
            line.push_back(c);
        }
    }
    return any ? std::optional<std::string>(line) : std::nullopt;
}

}  // namespace

bool AnswerIsYes(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && blank(line.back())) {
        line.remove_suffix(1);
    }
    std::string lower(line);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "y" || lower == "yes";
}

CliFrontEnd::CliFrontEnd(CliReporter& reporter, std::ostream& questions, std::istream& answers,
                         Settings settings, Clock clock, Diagnose diagnose)
    : reporter(reporter),
      questions(questions),
      answers(answers),
      settings(settings),
      clock(std::move(clock)),
      diagnose(std::move(diagnose)) {}

CliFrontEnd::~CliFrontEnd() {
    JoinCheck();
}

void CliFrontEnd::JoinCheck() {
    if (checkThread.joinable()) {
        checkThread.join();
    }
}

std::optional<RouterCheckResult> CliFrontEnd::RunCheck(const std::function<RouterCheckResult()>& check) {
    if (!settings.stopRequested) {
        return check();
    }
    // The check may wait on the router for many seconds; the signals are looked at every 100 ms meanwhile.
    struct Outcome {
        std::mutex mutex;
        std::condition_variable ended;
        std::optional<RouterCheckResult> result;
    };
    const auto outcome = std::make_shared<Outcome>();
    JoinCheck();
    try {
        checkThread = std::thread([outcome, check] {
            RouterCheckResult result = check();
            const std::lock_guard lock(outcome->mutex);
            outcome->result = std::move(result);
            outcome->ended.notify_one();
        });
    } catch (const std::system_error&) {
        return std::nullopt;  // no thread: the check is not run
    }
    std::unique_lock lock(outcome->mutex);
    const auto ended = [&outcome] { return outcome->result.has_value(); };
    while (!outcome->ended.wait_for(lock, std::chrono::milliseconds(100), ended)) {
        lock.unlock();
        const bool stop = settings.stopRequested();
        lock.lock();
        if (stop && !ended()) {
            return std::nullopt;  // left running: CheckLeftRunning
        }
    }
    lock.unlock();
    JoinCheck();
    return outcome->result;
}

void CliFrontEnd::OnUploadEnded(const UploadVerdict& verdict) {
    uploadEnd = verdict;
    imageSent = imageSent || verdict.result != 0;
}

void CliFrontEnd::OnPhase(RunPhase phase) {
    reporter.OnPhase(phase, clock());
}

void CliFrontEnd::OnProgress(const UploadProgress& progress) {
    reporter.OnProgress(progress.percent, progress.bodyBytes, clock());
}

void CliFrontEnd::OnPercentReset(std::uint64_t bodyBytes) {
    // What went out before the router was left to write its flash.
    imageSent = true;
    reporter.OnProgress(0, bodyBytes, clock());
}

void CliFrontEnd::OnStatusText(int stringId) {
    // The flash wait's line is the phase's, already shown; a refused stop is said where a script sees it.
    if (stringId == IDS_STOP_REFUSED && diagnose) {
        diagnose(StopRefusedWords());
    }
}

bool CliFrontEnd::ConfirmDowngrade(const std::string& routerVersion, const std::string& carriedVersion) {
    reporter.EndLine();
    const std::string question = DowngradeQuestion(routerVersion, carriedVersion);
    if (settings.assumeYes) {
        questions << kProgramName << ": " << question << " Answered yes (--yes).\n" << std::flush;
        return true;
    }
    if (!settings.inputIsTerminal) {
        questions << kProgramName << ": " << question
                  << " No terminal to answer on: refused; run with --yes to answer yes.\n"
                  << std::flush;
        return false;
    }
    questions << question << " [y/N] " << std::flush;
    while (settings.answerReady && !settings.answerReady()) {
        if (settings.stopRequested && settings.stopRequested()) {
            questions << "\n" << std::flush;  // stopped: no answer is no, and nothing is sent
            return false;
        }
    }
    const std::optional<std::string> line = ReadAnswerLine(answers);
    if (!line) {
        questions << "\n" << std::flush;  // the input ended: no answer is no
    }
    return line && AnswerIsYes(*line);
}

}  // namespace fwu::cli
