#include "cli/CliFrontEnd.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/TerminalWords.h"
#include "res/StringTable.h"
#include "upgrade/Pages.h"

namespace fwu::cli {
namespace {

// The table's text on one line: its line breaks (made for a message box) become blanks.
std::string OneLineText(int stringId) {
    std::string text(LoadString(stringId));
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

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

ExitCode ExitCodeForError(int stringId) {
    switch (stringId) {
        case IDS_ROUTER_NOT_FOUND:
            return ExitCode::RouterCheckFailed;
        case IDS_IMAGE_DAMAGED:
            return ExitCode::ImageDamaged;
        default:
            return ExitCode::UpgradeFailed;
    }
}

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
                         Settings settings, Clock clock)
    : reporter(reporter),
      questions(questions),
      answers(answers),
      settings(std::move(settings)),
      clock(std::move(clock)) {}

void CliFrontEnd::EnterPhase(Phase next) {
    phase = next;
    reporter.OnPhase(phase, clock());
    if (phase == Phase::WritingFlash) {
        // What went out before the router was left to write its flash.
        reporter.OnProgress(0, SentBytes(), clock());
    }
}

std::optional<HeadlessVerdict> CliFrontEnd::Verdict() const {
    return ended ? std::optional<HeadlessVerdict>(verdict) : std::nullopt;
}

void CliFrontEnd::End(ExitCode code) {
    if (!ended) {
        ended = true;
        verdict.code = code;
    }
}

void CliFrontEnd::EnterPage(PageNumber page) {
    if (page == PAGE_DONE) {
        End(ExitCode::Success);
    }
}

std::optional<UpgradeFrontEnd::TypedLogin> CliFrontEnd::ReadLogin() {
    if (served == nullptr) {
        return std::nullopt;
    }
    // The address the sequence holds is the one given or proposed; the password the one read or the
    // sequence's default.
    return TypedLogin{settings.password.value_or(served->Password()), served->Address().OctetTexts()};
}

void CliFrontEnd::CheckStarted() {
    phase = Phase::Checking;
    reporter.OnPhase(phase, clock());
}

std::optional<RouterCheckResult> CliFrontEnd::RunCheck(const std::function<RouterCheckResult()>& check) {
    return check();  // nothing to keep painted: the check may block this thread
}

std::uint64_t CliFrontEnd::SentBytes() const {
    return settings.sentBytes ? settings.sentBytes() : 0;
}

int CliFrontEnd::ShowProgress(int percent) {
    reporter.OnProgress(percent, SentBytes(), clock());
    return percent;
}

void CliFrontEnd::ShowUploadFailed(int lastPercent) {
    verdict.lastPercent = lastPercent;
    End(ExitCode::UpgradeFailed);
}

void CliFrontEnd::ShowUploadFailure(const UploadVerdict& failed, const std::string& causeText) {
    static_cast<void>(causeText);  // the window's words; the terminal has its own
    verdict.causeText = UploadFailureWords(failed);
    ShowUploadFailed(failed.percent);
}

bool CliFrontEnd::AskYesNo(int stringId) {
    reporter.EndLine();
    const std::string question = stringId == IDS_ASK_DOWNGRADE && served != nullptr
                                     ? DowngradeQuestion(served->RouterVersion(), served->UtilityVersion())
                                     : ShownText(OneLineText(stringId));
    if (settings.assumeYes) {
        questions << kProgramName << ": " << question << " Answered yes (--yes).\n" << std::flush;
        return true;
    }
    if (!settings.inputIsTerminal) {
        questions << kProgramName << ": " << question
                  << " No terminal to answer on: refused; run with --yes to answer yes.\n"
                  << std::flush;
        declined = true;
        return false;
    }
    questions << question << " [y/N] " << std::flush;
    const std::optional<std::string> line = ReadAnswerLine(answers);
    if (!line) {
        questions << "\n" << std::flush;  // the input ended: no answer is no
    }
    const bool yes = line && AnswerIsYes(*line);
    declined = !yes;
    return yes;
}

void CliFrontEnd::ShowError(int stringId) {
    verdict.errorStringId = stringId;
    End(ExitCodeForError(stringId));
}

void CliFrontEnd::ShowErrorWithReason(int stringId, const std::string& reason) {
    verdict.causeText = reason;
    ShowError(stringId);
}

void CliFrontEnd::EndRun() {
    // The sequence ends a run from the command line only when its question was answered no.
    End(declined ? ExitCode::DowngradeDeclined : ExitCode::UpgradeFailed);
}

}  // namespace fwu::cli
