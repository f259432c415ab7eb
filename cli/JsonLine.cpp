#include "cli/JsonLine.h"

namespace fwu::cli {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), 0 when there is none:
// no overlong form, no surrogate, nothing above U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json;
    json.reserve(text.size() + 2);
    json.push_back('"');
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text);
            json.append(length == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(0, length));
            text.remove_prefix(length == 0 ? 1 : length);
            continue;
        }
        text.remove_prefix(1);
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\b':
                json += "\\b";
                break;
            case '\f':
                json += "\\f";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (c < 0x20) {
                    json += "\\u00";
                    json.push_back(kHex[c >> 4]);
                    json.push_back(kHex[c & 0xF]);
                } else {
                    json.push_back(static_cast<char>(c));
                }
        }
    }
    json.push_back('"');
    return json;
}

std::string JsonSeconds(std::chrono::milliseconds time) {
    const long long count = time.count();
    // A whole number of milliseconds has an exact shortest decimal form: the digits, with no exponent.
    const unsigned long long magnitude =
        count < 0 ? 0ULL - static_cast<unsigned long long>(count) : static_cast<unsigned long long>(count);
    std::string text = (count < 0 ? "-" : "") + std::to_string(magnitude / 1000);
    unsigned long long fraction = magnitude % 1000;
    if (fraction != 0) {
        std::string decimals = std::to_string(fraction);
        decimals.insert(0, 3 - decimals.size(), '0');
        while (decimals.back() == '0') {
            decimals.pop_back();
        }
        text += "." + decimals;
    }
    return text;
}

void JsonLine::Text(std::string_view key, std::string_view value) {
    members.insert_or_assign(std::string(key), JsonString(value));
}

void JsonLine::Null(std::string_view key) {
    members.insert_or_assign(std::string(key), "null");
}

void JsonLine::Number(std::string_view key, std::int64_t value) {
    members.insert_or_assign(std::string(key), std::to_string(value));
}

void JsonLine::Bool(std::string_view key, bool value) {
    members.insert_or_assign(std::string(key), value ? "true" : "false");
}

void JsonLine::Seconds(std::string_view key, std::chrono::milliseconds value) {
    members.insert_or_assign(std::string(key), JsonSeconds(value));
}

std::string JsonLine::Compact() const {
    std::string line = "{";
    for (const auto& [key, value] : members) {
        if (line.size() > 1) {
            line.push_back(',');
        }
        line += JsonString(key) + ":" + value;
    }
    line.push_back('}');
    return line;
}

}  // namespace fwu::cli
