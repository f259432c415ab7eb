// One JSON object on one line, written by the command line for --json: the keys in byte order (so in
// alphabetical order), no blanks, texts in UTF-8 with '"', '\' and the control characters escaped, whole
// numbers as digits and times in seconds with up to three decimals. The lines stay byte for byte what the
// program has always written, and need no library beside the standard one.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace fwu::cli {

// `text` as a JSON string with its quotes. Control characters are escaped ("\n", "\u001b"); a byte that is
// not part of well-formed UTF-8 becomes U+FFFD, so the line is always valid UTF-8.
std::string JsonString(std::string_view text);

// Milliseconds as JSON seconds: 0, 0.25, 9, 1.001, -0.5.
std::string JsonSeconds(std::chrono::milliseconds time);

class JsonLine {
public:
    // Each sets `key`, replacing a value it had.
    void Text(std::string_view key, std::string_view value);
    void Null(std::string_view key);
    void Number(std::string_view key, std::int64_t value);
    void Bool(std::string_view key, bool value);
    void Seconds(std::string_view key, std::chrono::milliseconds value);

    // The object without a line feed.
    std::string Compact() const;

private:
    std::map<std::string, std::string, std::less<>> members;  // key -> the value as written
};

}  // namespace fwu::cli
