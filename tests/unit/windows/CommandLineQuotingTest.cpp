// The joined command line must split back, by the system's own splitter, into the very arguments given.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/CommandLineQuoting.h"
#include "platform/win32/WideText.h"

namespace {

using fwu::platform::win32::JoinCommandLine;

std::vector<std::string> SplitBySystem(const std::string& line) {
    int count = 0;
    LPWSTR* parts = ::CommandLineToArgvW(fwu::platform::win32::ToWide(line).c_str(), &count);
    std::vector<std::string> argv;
    for (int i = 0; parts != nullptr && i < count; ++i) {
        argv.push_back(fwu::platform::win32::ToUtf8(parts[i]));
    }
    ::LocalFree(parts);
    return argv;
}

struct QuotingCase {
    std::vector<std::string> argv;
    std::string line;
};

TEST(JoinCommandLine, QuotesWhatWouldSplitAndNothingElse) {
    const std::vector<QuotingCase> cases = {
        {{"arp", "-d", "192.168.1.1"}, "arp -d 192.168.1.1"},
        {{"C:\\Program Files\\x.exe", "a"}, "\"C:\\Program Files\\x.exe\" a"},
        {{"p", ""}, "p \"\""},
        {{"p", "two words"}, "p \"two words\""},
        {{"p", "tab\there"}, "p \"tab\there\""},
        {{"p", "say \"hi\""}, "p \"say \\\"hi\\\"\""},
        {{"p", "C:\\dir\\"}, "p C:\\dir\\"},              // no quotes: backslashes stay as they are
        {{"p", "C:\\my dir\\"}, "p \"C:\\my dir\\\\\""},  // before the closing quote: doubled
        {{"p", "a\\\"b"}, "p \"a\\\\\\\"b\""},            // backslash then quote: 2 + 1 backslashes
        {{"p", "a\\\\b c"}, "p \"a\\\\b c\""},            // backslashes not before a quote: kept
        {{"p", "&|<>^%"}, "p &|<>^%"},                    // no shell reads the line
        {{"p", "\xC3\xA9t\xC3\xA9"}, "p \xC3\xA9t\xC3\xA9"},
    };
    for (const QuotingCase& c : cases) {
        const auto line = JoinCommandLine(c.argv);
        ASSERT_TRUE(line.has_value()) << c.line;
        EXPECT_EQ(*line, c.line);
        EXPECT_EQ(SplitBySystem(*line), c.argv) << *line;
    }
}

TEST(JoinCommandLine, RefusesWhatCannotBeCarried) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {""},
        {"pro\"gram", "a"},
        {"p", std::string("a\0b", 3)},
    };
    for (const auto& argv : refused) {
        EXPECT_FALSE(JoinCommandLine(argv).has_value()) << argv.size();
    }
}

}  // namespace
