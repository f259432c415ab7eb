#include "upgrade/AttemptLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "package/FirmwarePackage.h"
#include "platform/PrivateFile.h"
#include "platform/Secrets.h"
#include "res/PrintableText.h"
#include "transfer/UploadWorker.h"

namespace fwu {
namespace {

constexpr std::size_t kLineTextChars = 1000;
constexpr std::size_t kShortestHiddenEverywhere = 4;
constexpr std::string_view kHidden = "[hidden]";
constexpr std::string_view kLogFolderTail = "/firmware-upgrade-utility";
constexpr std::string_view kLogFileName = "/upgrade.log";

// The seconds from 1970-01-01T00:00:00 to the broken-down time, read as a time of UTC (days counted in the
// proleptic Gregorian calendar, so any two readings of one moment subtract to their offset).
long long SecondsSinceEpoch(const std::tm& time) {
    const long long month = time.tm_mon + 1;
    const long long year = time.tm_year + 1900LL - (month <= 2 ? 1 : 0);
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + time.tm_mday - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const long long days = era * 146097 + dayOfEra - 719468;
    return ((days * 24 + time.tm_hour) * 60 + time.tm_min) * 60 + time.tm_sec;
}

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::size_t PrintedWidth(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte > 0x7E || c == '\\' ? 4 : 1;
}

// Marks every occurrence of each spelling (overlapping ones too) and puts one "[hidden]" for each run of
// marked bytes, so one secret's mark never cuts into another's.
class Mask {
public:
    explicit Mask(std::string_view text) : text(text), hidden(text.size(), false) {}

    void Cover(std::string_view spelling) {
        if (spelling.empty()) {
            return;
        }
        for (std::size_t at = text.find(spelling); at != std::string_view::npos;
             at = text.find(spelling, at + 1)) {
            std::fill_n(hidden.begin() + static_cast<std::ptrdiff_t>(at), spelling.size(), true);
        }
    }
    // The end of the text when it is the first `shortest` or more bytes of `secret` (a cut copy).
    void CoverCutEnd(std::string_view secret, std::size_t shortest) {
        for (std::size_t length = std::min(secret.size(), text.size()); length >= shortest; --length) {
            if (text.substr(text.size() - length) == secret.substr(0, length)) {
                std::fill(hidden.end() - static_cast<std::ptrdiff_t>(length), hidden.end(), true);
                return;
            }
        }
    }
    std::string Result() const {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!hidden[i]) {
                out += text[i];
            } else if (i == 0 || !hidden[i - 1]) {
                out += kHidden;
            }
        }
        return out;
    }

private:
    std::string_view text;
    std::vector<bool> hidden;
};

// Printable text cut to `maxChars` with "..." after it, never inside an escape.
std::string CutPrintable(std::string shown, std::size_t maxChars) {
    if (shown.size() <= maxChars) {
        return shown;
    }
    std::size_t cut = maxChars < 3 ? 0 : maxChars - 3;
    for (std::size_t back = 1; back <= 3 && back <= cut; ++back) {
        if (shown[cut - back] == '\\') {
            cut -= back;
            break;
        }
    }
    shown.erase(cut);
    return shown + "...";
}

const char* OutcomeName(UploadOutcome outcome) {
    switch (outcome) {
        case UploadOutcome::Restarted:
            return "restarted";
        case UploadOutcome::NotConnected:
            return "not connected";
        case UploadOutcome::LostInTransfer:
            return "connection lost";
        case UploadOutcome::RefusedByRouter:
            return "refused by the router";
        case UploadOutcome::NoRestart:
            return "no restart";
        case UploadOutcome::ProbeUnavailable:
            return "probe unavailable";
        case UploadOutcome::Stopped:
            return "stopped by the user";
        case UploadOutcome::TooSlow:
            return "transfer too slow";
        case UploadOutcome::PasswordRefused:
            return "password refused";
        case UploadOutcome::Unreported:
            return "no cause reported";
    }
    return "unknown";
}

}  // namespace

std::string AttemptLogPathFor(const char* stateHome, const char* home) {
    std::string folder;
    if (IsAbsolute(stateHome)) {
        folder = stateHome;
    } else if (IsAbsolute(home)) {
        folder = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder == "/") {
        folder.clear();
    }
    return folder + std::string(kLogFolderTail) + std::string(kLogFileName);
}

std::string CutForLog(std::string_view text, std::size_t maxChars) {
    std::size_t width = 0;
    for (const char c : text) {
        width += PrintedWidth(c);
    }
    if (width <= maxChars) {
        return std::string(text);
    }
    const std::size_t room = maxChars < 3 ? 0 : maxChars - 3;
    std::size_t used = 0;
    std::size_t length = 0;
    while (length < text.size() && used + PrintedWidth(text[length]) <= room) {
        used += PrintedWidth(text[length++]);
    }
    return std::string(text.substr(0, length)) + "...";
}

std::string_view NewestWholeLines(std::string_view content, std::size_t limit) {
    if (content.size() <= limit) {
        return content;
    }
    const std::size_t cut = content.size() - limit;
    if (content[cut - 1] == '\n') {
        return content.substr(cut);
    }
    const std::size_t lineEnd = content.find('\n', cut);
    return lineEnd == std::string_view::npos ? std::string_view{} : content.substr(lineEnd + 1);
}

std::string LocalTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    const bool known = localtime_s(&local, &now) == 0 && gmtime_s(&utc, &now) == 0;
#else
    const bool known = localtime_r(&now, &local) != nullptr && gmtime_r(&now, &utc) != nullptr;
#endif
    if (!known) {
        local = utc = std::tm{};
    }
    // The offset from UTC is what the local clock reads ahead of UTC's at the same moment.
    const long long offset = SecondsSinceEpoch(local) - SecondsSinceEpoch(utc);
    const long long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[128];  // room for any value of the fields, however unlikely
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offset < 0 ? '-' : '+', (minutes / 60) % 100, minutes % 60);
    return text;
}

std::string DescribeImage(const FirmwareInfo& info, std::size_t imageBytes,
                          const platform::Sha256Digest& sha256) {
    std::string text = "model \"" + CutForLog(info.model) + "\", version \"" +
                       CutForLog(info.utilityVersion) + "\", firmware date \"" +
                       CutForLog(info.firmwareDate) + "\", release date \"" + CutForLog(info.releaseDate) +
                       "\", file \"" + CutForLog(info.fileName) + "\"";
    if (imageBytes == 0) {
        return text + ", no image";
    }
    return text + ", " + std::to_string(imageBytes) + " bytes, sha256 " + platform::HexDigest(sha256);
}

void LogTransferEnd(AttemptLog& log, const UploadVerdict& verdict) {
    log.Write("transfer", "ended: " + std::to_string(verdict.bytesSent) + " body bytes sent in " +
                              std::to_string(verdict.transferMs) + " ms");
    log.Write("answer",
              verdict.answer.empty() ? std::string("none") : "\"" + log.Outside(verdict.answer) + "\"");
}

void LogSilenceReached(AttemptLog& log, std::int64_t silenceMs) {
    log.Write("silence", std::to_string(silenceMs) + " ms without an answer to the probe: restarting");
}

void LogUploadVerdict(AttemptLog& log, const UploadVerdict& verdict) {
    // A silence long enough was written when it was reached (LogSilenceReached); one too short only now.
    if (verdict.outcome == UploadOutcome::NoRestart) {
        log.Write("silence",
                  std::to_string(verdict.silenceMs) + " ms without an answer to the probe" + ": too short");
    }
    std::string text = "result " + std::to_string(verdict.result) + ", " + OutcomeName(verdict.outcome);
    if (verdict.outcome == UploadOutcome::LostInTransfer) {
        text += " at " + std::to_string(verdict.percent) + " %";
    }
    if (verdict.outcome == UploadOutcome::RefusedByRouter ||
        verdict.outcome == UploadOutcome::PasswordRefused) {
        text += " (\"" + log.Outside(verdict.statusLine) + "\")";
    }
    log.Write("verdict", text);
}

AttemptLog::AttemptLog(std::string path, Clock timestamp)
    : path(std::move(path)), timestamp(std::move(timestamp)) {
    if (!this->path.empty()) {
        sinks.push_back(Sink{this->path, true});
    }
}

AttemptLog::~AttemptLog() {
    for (std::string& secret : secrets) {
        platform::WipeSecret(secret);
    }
}

void AttemptLog::AddSink(std::string file) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!file.empty()) {
        sinks.push_back(Sink{std::move(file), false});
    }
}

void AttemptLog::OnUnwritable(Notice told) {
    const std::lock_guard<std::mutex> lock(mutex);
    notice = std::move(told);
}

void AttemptLog::Hide(std::string secret) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (secret.empty() || std::find(secrets.begin(), secrets.end(), secret) != secrets.end()) {
        platform::WipeSecret(secret);
        return;
    }
    secrets.push_back(std::move(secret));
}

std::string AttemptLog::Outside(std::string_view text, std::size_t maxChars) {
    const std::lock_guard<std::mutex> lock(mutex);
    Mask mask(text);
    for (const std::string& secret : secrets) {
        mask.Cover(secret);
        mask.Cover(MakePrintable(secret, UnprintableStyle::HexEscape));
        mask.CoverCutEnd(secret, kShortestHiddenEverywhere);
    }
    return CutForLog(mask.Result(), maxChars);
}

void AttemptLog::Write(std::string_view step, std::string_view text) {
    std::vector<std::string> notices;
    Notice tell;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (sinks.empty()) {
            return;
        }
        const std::string raw = std::string(step) + ": " + std::string(text);
        // A text a caller made printable itself would hold the printable spelling of a secret.
        Mask mask(raw);
        for (const std::string& secret : secrets) {
            if (secret.size() >= kShortestHiddenEverywhere) {
                mask.Cover(secret);
                mask.Cover(MakePrintable(secret, UnprintableStyle::HexEscape));
            }
        }
        const std::string line =
            (timestamp ? timestamp() : std::string()) + " " +
            CutPrintable(MakePrintable(mask.Result(), UnprintableStyle::HexEscape), kLineTextChars) + "\n";
        // Only regular files are written, so no write here waits on a reader.
        for (Sink& sink : sinks) {
            AppendTo(sink, line, notices);
        }
        tell = notice;
    }
    if (tell) {
        for (const std::string& line : notices) {
            tell(line);
        }
    }
}

void AttemptLog::AppendTo(Sink& sink, const std::string& line, std::vector<std::string>& notices) {
    if (sink.refused) {
        return;
    }
    const platform::OwnFileAppend written = platform::AppendToOwnFile(sink.path, line, sink.own);
    if (written.status == platform::OwnFileStatus::Written) {
        if (sink.own && static_cast<std::uint64_t>(written.size) > kAttemptLogLimitBytes) {
            // One byte more than the limit tells whether the tail starts on a line's beginning.
            platform::RewriteOwnFileTail(
                sink.path, static_cast<std::int64_t>(kAttemptLogLimitBytes) + 1,
                [](std::string_view tail) { return NewestWholeLines(tail, kAttemptLogLimitBytes); });
        }
        return;
    }
    sink.refused = written.status == platform::OwnFileStatus::Refused;
    if (!sink.told) {
        sink.told = true;
        notices.push_back("the log " + MakePrintable(sink.path, UnprintableStyle::HexEscape, kLineTextChars) +
                          " is not written: " + written.reason);
    }
}

}  // namespace fwu
