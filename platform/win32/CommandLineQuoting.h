// A Windows program receives one command-line text, which its C runtime (CommandLineToArgvW and the
// Microsoft C runtime read it alike) splits back into arguments. This joins an argument vector into the
// text that splits back into exactly those arguments, so nothing in an argument is ever read as another.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fwu::platform::win32 {

// The command line for `argv`, UTF-8. The program name (argv[0]) is split by a simpler rule (up to the
// next blank, or between quotes without escapes), so it is quoted when it holds a blank and refused when
// it holds a quote. Every other argument is quoted when it is empty or holds a blank, tab, line feed,
// vertical tab or quote: inside the quotes a quote is written as \" and the backslashes before a quote or
// before the closing quote are doubled. Nothing when argv is empty, argv[0] is empty or holds a quote, or
// any argument holds a NUL character.
std::optional<std::string> JoinCommandLine(const std::vector<std::string>& argv);

}  // namespace fwu::platform::win32
