#include "upgrade/AttemptLog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <cstdio>
#include <cstdlib>

#include "package/FirmwarePackage.h"
#include "platform/PrivateFile.h"
#include "transfer/UploadWorker.h"

namespace fwu {
namespace {

constexpr std::size_t kLineTextChars = 1000;
constexpr std::size_t kShortestHiddenText = 4;
constexpr std::string_view kLogFolderTail = "/firmware-upgrade-utility";
constexpr std::string_view kLogFileName = "/upgrade.log";

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
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

std::string Folder(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : file.substr(0, slash);
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

std::string AttemptLogPath() {
    return AttemptLogPathFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string PrintableText(std::string_view text, std::size_t maxChars) {
    std::string shown;
    std::vector<std::size_t> pieceStarts;  // so a cut never splits an escape
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        pieceStarts.push_back(shown.size());
        if (byte < 0x20 || byte > 0x7E || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
        if (shown.size() > maxChars) {
            while (!pieceStarts.empty() && pieceStarts.back() + 3 > maxChars) {
                pieceStarts.pop_back();
            }
            shown.erase(pieceStarts.empty() ? 0 : pieceStarts.back());
            return shown + "...";
        }
    }
    return shown;
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
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', (minutes / 60) % 100,
                  minutes % 60);
    return now.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toStdString() + zone;
}

std::string DescribeImage(const FirmwareInfo& info, std::string_view image) {
    std::string text = "model \"" + PrintableText(info.model) + "\", version \"" +
                       PrintableText(info.utilityVersion) + "\", firmware date \"" +
                       PrintableText(info.firmwareDate) + "\", release date \"" +
                       PrintableText(info.releaseDate) + "\", file \"" + PrintableText(info.fileName) + "\"";
    if (image.empty()) {
        return text + ", no image";
    }
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(image.data(), static_cast<qsizetype>(image.size())), QCryptographicHash::Sha256);
    return text + ", " + std::to_string(image.size()) + " bytes, sha256 " + digest.toHex().toStdString();
}

void LogTransferEnd(AttemptLog& log, const UploadVerdict& verdict) {
    log.Write("transfer", "ended: " + std::to_string(verdict.bytesSent) + " body bytes sent in " +
                              std::to_string(verdict.transferMs) + " ms");
    log.Write("answer",
              verdict.answer.empty() ? std::string("none") : "\"" + PrintableText(verdict.answer) + "\"");
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
        text += " (\"" + PrintableText(verdict.statusLine) + "\")";
    }
    log.Write("verdict", text);
}

AttemptLog::AttemptLog(std::string path, Clock timestamp)
    : path(std::move(path)), timestamp(std::move(timestamp)) {
    if (!this->path.empty()) {
        sinks.push_back(this->path);
    }
}

void AttemptLog::AddSink(std::string file) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!file.empty()) {
        sinks.push_back(std::move(file));
    }
}

void AttemptLog::Hide(std::string secret) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (secret.size() >= kShortestHiddenText) {
        secrets.push_back(std::move(secret));
    }
}

void AttemptLog::Write(std::string_view step, std::string_view text) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (sinks.empty()) {
        return;
    }
    std::string raw = std::string(step) + ": " + std::string(text);
    // Hidden before and after the escaping, so neither the text as it came nor its printable form holds
    // a secret.
    for (const std::string& secret : secrets) {
        ReplaceAll(raw, secret, "[hidden]");
    }
    std::string shown = PrintableText(raw, kLineTextChars);
    for (const std::string& secret : secrets) {
        ReplaceAll(shown, secret, "[hidden]");
    }
    const std::string line = (timestamp ? timestamp() : std::string()) + " " + shown + "\n";
    for (const std::string& sink : sinks) {
        AppendTo(sink, line);
    }
}

void AttemptLog::AppendTo(const std::string& file, const std::string& line) {
    if (!platform::MakePrivateFolders(Folder(file))) {
        return;
    }
    const std::int64_t size = platform::AppendToPrivateFile(file, line);
    if (size < 0 || static_cast<std::uint64_t>(size) <= kAttemptLogLimitBytes) {
        return;
    }
    // One byte more than the limit tells whether the tail starts on a line's beginning.
    std::string tail;
    if (platform::ReadFileTail(file, static_cast<std::int64_t>(kAttemptLogLimitBytes) + 1, tail)) {
        platform::ReplacePrivateFile(file, NewestWholeLines(tail, kAttemptLogLimitBytes));
    }
}

}  // namespace fwu
