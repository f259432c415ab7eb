// What the router said to the upload: the status line at the start of its answer, read as far as it
// can be trusted. Only a well-formed status line decides anything; silence or garbage decide nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fwu {

// The most of a status line kept for reporting it.
inline constexpr std::size_t kMaxStatusLineText = 120;

struct StatusLine {
    int code = 0;      // 100 to 599
    std::string text;  // the line without its end, at most kMaxStatusLineText bytes, printable ASCII
};

// Reads the status line at the very start of an HTTP answer: "HTTP/" and a version of digits with at
// most one dot, one or more blanks, a three-digit code from 100 to 599, then a blank, CR, LF or the end
// of what arrived. Nothing for anything else (no answer, a line cut inside its code, another protocol).
std::optional<StatusLine> ParseStatusLine(std::string_view answer);

// True when the answer carries a status line whose code is not 2xx: the router refused the image.
bool AnswerRefusesUpload(const std::optional<StatusLine>& status);

}  // namespace fwu
