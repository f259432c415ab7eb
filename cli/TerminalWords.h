// What the command line says in its own words: the causes the window shows, worded for a terminal (no
// button to click; the next step is to run the program again), the downgrade question with both versions,
// what an upgrade would do after the check, and every text from outside made safe to print.
#pragma once

#include <string>
#include <string_view>

#include "res/PrintableText.h"
#include "transfer/UploadVerdict.h"

namespace fwu::cli {

// `text` with every control character replaced by "?": C0 bytes, DEL, the C1 range whether written as one
// byte (0x80-0x9F) or in UTF-8 (C2 80 - C2 9F), and any byte that is not part of well-formed UTF-8. What
// is left is printable text, so a router's text cannot start an escape sequence on a terminal. Line breaks
// and tabs become blanks.
inline std::string ShownText(std::string_view text) {
    return MakePrintable(text, UnprintableStyle::Utf8QuestionMark);
}

// The terminal's words for an error the sequence shows by its string-table id, with the reason the
// sequence gave (may be empty); the table's own text, on one line, for an id worded the same everywhere.
std::string ErrorWords(int stringId, std::string_view reason);

// The terminal's words for a failed upload.
std::string UploadFailureWords(const UploadVerdict& verdict);

// The stop that cannot be taken while the router writes its flash.
std::string_view StopRefusedWords();

// The downgrade question, naming the router's version and the carried one.
std::string DowngradeQuestion(std::string_view routerVersion, std::string_view carriedVersion);

// What an upgrade would do, from the router's version (empty when the check read none) and the carried
// one.
enum class UpgradeAction { Upgrade, Same, Downgrade, Unknown };
UpgradeAction ActionFor(std::string_view routerVersion, std::string_view carriedVersion);
std::string_view ActionName(UpgradeAction action);   // "upgrade", "same", "downgrade", "unknown"
std::string_view ActionWords(UpgradeAction action);  // the same in a sentence

}  // namespace fwu::cli
