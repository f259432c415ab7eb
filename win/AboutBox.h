// The About box of the Windows window: a modal dialog over the face with the program's icon, its text in
// a read-only edit control that the user can select and copy from (name, version, copyright line, what it
// does, where the log of every attempt is kept), and OK. Enter, Escape and the close box end it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fwu::win {

// The control id of the dialog's text.
inline constexpr int kAboutTextId = 1101;

// The box's text, line by line with CR LF between lines (as an edit control breaks them), in UTF-8:
// `title`, "Version <version>", `copyright`, what the program does, an empty line, then `logLine` followed
// by `logPath` (or the line alone when there is no path).
std::string AboutText(std::string_view title, std::string_view version, std::string_view copyright,
                      std::string_view logLine, std::string_view logPath);

// Shows the box over `owner`, which it keeps disabled until the box ends.
void ShowAboutBox(HWND owner);

}  // namespace fwu::win
