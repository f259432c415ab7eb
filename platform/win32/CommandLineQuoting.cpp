#include "platform/win32/CommandLineQuoting.h"

#include <string_view>

namespace fwu::platform::win32 {
namespace {

bool NeedsQuotes(std::string_view argument) {
    return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

void AppendQuoted(std::string& line, std::string_view argument) {
    if (!NeedsQuotes(argument)) {
        line += argument;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Each backslash before a quote doubled, then the quote itself escaped.
            line.append(backslashes * 2 + 1, '\\');
        } else {
            line.append(backslashes, '\\');
        }
        backslashes = 0;
        line += c;
    }
    // Backslashes before the closing quote are doubled, so the quote still closes.
    line.append(backslashes * 2, '\\');
    line += '"';
}

}  // namespace

std::optional<std::string> JoinCommandLine(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty() || argv.front().find('"') != std::string::npos) {
        return std::nullopt;
    }
    for (const std::string& argument : argv) {
        if (argument.find('\0') != std::string::npos) {
            return std::nullopt;
        }
    }
    std::string line;
    const std::string& program = argv.front();
    if (program.find_first_of(" \t") != std::string::npos) {
        line = '"' + program + '"';
    } else {
        line = program;
    }
    for (std::size_t i = 1; i < argv.size(); ++i) {
        line += ' ';
        AppendQuoted(line, argv[i]);
    }
    return line;
}

}  // namespace fwu::platform::win32
