// The About box's words, the same on every window: its caption, its version line and what the program
// does.
#pragma once

#include <string>
#include <string_view>

namespace fwu {

inline constexpr const char* kAboutNote = "Installs the router firmware carried inside this program.";

// "About " and the program's title.
std::string AboutCaption(std::string_view title);

// "Version " and the program's version.
std::string AboutVersionLine(std::string_view version);

}  // namespace fwu
