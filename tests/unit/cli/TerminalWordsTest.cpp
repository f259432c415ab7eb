// The command line's own words: texts from outside shown printable only, the causes worded for a
// terminal, and what an upgrade would do after the check.
#include <gtest/gtest.h>

#include "cli/TerminalWords.h"
#include "res/StringTable.h"

namespace fwu::cli {
namespace {

TEST(ShownText, LeavesNoControlByteOrSequence) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"v2.00.20", "v2.00.20"},
        {"a\x1b[2Jb", "a?[2Jb"},  // ESC of a C0 escape sequence
        {"a\xc2\x9b"
         "31mb",
         "a?31mb"},  // C1 CSI written in UTF-8
        {"a\x9b"
         "31mb",
         "a?31mb"},                                    // C1 CSI as a single byte
        {"a\xc2\x80\xc2\x9f\xc2\xa0", "a??\xc2\xa0"},  // the C1 range's ends, then the first printable
        {"line\r\nnext\ttab", "line  next tab"},
        {"del\x7f nul", "del? nul"},
        {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},  // UTF-8 letters are kept
        {"\xc0\x9b", "??"},                          // an overlong form of the C1 CSI
        {"cut \xe2\x82", "cut ??"},
        {"\xed\xa0\x80", "???"},  // a surrogate
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(ShownText(text), shown) << testing::PrintToString(std::string(text));
    }
}

TEST(TerminalWords, NothingToClick) {
    UploadVerdict refused;
    refused.outcome = UploadOutcome::RefusedByRouter;
    refused.statusLine = "HTTP/1.0 401 \x1b]0;owned\x07";
    UploadVerdict lost;
    lost.outcome = UploadOutcome::LostInTransfer;
    lost.percent = 42;
    UploadVerdict stopped;
    stopped.outcome = UploadOutcome::Stopped;
    const std::pair<std::string, std::string_view> cases[] = {
        {ErrorWords(IDS_ROUTER_NOT_FOUND,
                    "The Router refused the password (HTTP/1.0 401 \x9b"
                    "2J)."),
         "cannot reach the router: The Router refused the password (HTTP/1.0 401 ?2J); check the address and "
         "the password, then run again"},
        {ErrorWords(IDS_ROUTER_NOT_FOUND, ""),
         "cannot reach the router: the address or the password is wrong; check both, then run again"},
        {ErrorWords(IDS_IMAGE_DAMAGED, ""),
         "This program's firmware image is damaged; nothing was sent to the router."},
        {UploadFailureWords(refused),
         "the router refused the image (HTTP/1.0 401 ?]0;owned?); check the password and run again"},
        {UploadFailureWords(lost),
         "the connection was lost at 42 %; the router keeps its current firmware; run again"},
        {UploadFailureWords(stopped), "the upgrade was stopped; the router keeps its current firmware"},
        {DowngradeQuestion("v2.00.30", "v2.00.22"),
         "The router runs v2.00.30, newer than v2.00.22 that this program carries. Downgrade it to "
         "v2.00.22?"},
    };
    for (const auto& [words, expected] : cases) {
        EXPECT_EQ(words, expected);
        EXPECT_EQ(words.find("lick"), std::string::npos) << words;
    }
}

TEST(TerminalWords, ActionAfterTheCheck) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"v2.00.20", "v2.00.22", "upgrade"},   {"v2.00.22", "v2.00.22", "same"},
        {"v2.00.30", "v2.00.22", "downgrade"}, {"v2.00.220", "v2.00.22", "downgrade"},
        {"", "v2.00.22", "unknown"},
    };
    for (const auto& [router, carried, action] : cases) {
        EXPECT_EQ(ActionName(ActionFor(router, carried)), action) << router;
    }
}

}  // namespace
}  // namespace fwu::cli
