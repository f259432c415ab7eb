#include "tools/router-sim/RequestHead.h"

namespace fwu::sim {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::size_t> FindHeadEnd(std::string_view data) {
    std::size_t pos = 0;
    while (true) {
        const std::size_t lf = data.find('\n', pos);
        if (lf == std::string_view::npos) {
            return std::nullopt;
        }
        const std::size_t length = lf - pos;
        if (length == 0 || (length == 1 && data[pos] == '\r')) {
            return lf + 1;
        }
        pos = lf + 1;
    }
}

RequestHead ParseRequestHead(std::string_view head) {
    RequestHead parsed;
    std::size_t pos = 0;
    bool first = true;
    while (pos < head.size()) {
        std::size_t lf = head.find('\n', pos);
        if (lf == std::string_view::npos) {
            lf = head.size();
        }
        std::string_view line = head.substr(pos, lf - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        } else if (lf < head.size()) {
            ++parsed.bareLineFeeds;
        }
        pos = lf + 1;
        if (first) {
            parsed.requestLine = line;
            first = false;
        } else if (line.empty()) {
            break;
        } else {
            parsed.headerLines.emplace_back(line);
        }
    }
    return parsed;
}

std::optional<std::string_view> FieldValue(const RequestHead& head, std::string_view name) {
    for (const std::string& line : head.headerLines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || !SameName(std::string_view(line).substr(0, colon), name)) {
            continue;
        }
        std::string_view value = std::string_view(line).substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace fwu::sim
