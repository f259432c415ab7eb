#include "transfer/UploadAnswer.h"

namespace fwu {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<StatusLine> ParseStatusLine(std::string_view answer) {
    constexpr std::string_view kProtocol = "HTTP/";
    if (!answer.starts_with(kProtocol)) {
        return std::nullopt;
    }
    std::size_t at = kProtocol.size();
    // The version: digits, at most one dot with digits on both sides.
    const std::size_t versionStart = at;
    bool dotSeen = false;
    while (at < answer.size() && (IsDigit(answer[at]) || (answer[at] == '.' && !dotSeen))) {
        dotSeen = dotSeen || answer[at] == '.';
        ++at;
    }
    if (at == versionStart || !IsDigit(answer[versionStart]) || !IsDigit(answer[at - 1]) ||
        at - versionStart > 8) {
        return std::nullopt;
    }
    const std::size_t blanksStart = at;
    while (at < answer.size() && answer[at] == ' ') {
        ++at;
    }
    if (at == blanksStart || at + 3 > answer.size()) {
        return std::nullopt;
    }
    if (!IsDigit(answer[at]) || !IsDigit(answer[at + 1]) || !IsDigit(answer[at + 2])) {
        return std::nullopt;
    }
    const int code = (answer[at] - '0') * 100 + (answer[at + 1] - '0') * 10 + (answer[at + 2] - '0');
    at += 3;
    if (code < 100 || code > 599 ||
        (at < answer.size() && answer[at] != ' ' && answer[at] != '\r' && answer[at] != '\n')) {
        return std::nullopt;
    }
    StatusLine line;
    line.code = code;
    for (const char c : answer.substr(0, answer.find_first_of("\r\n"))) {
        if (line.text.size() == kMaxStatusLineText) {
            break;
        }
        line.text.push_back(c >= 0x20 && c <= 0x7E ? c : '?');
    }
    return line;
}

bool AnswerRefusesUpload(const std::optional<StatusLine>& status) {
    return status && (status->code < 200 || status->code > 299);
}

}  // namespace fwu
