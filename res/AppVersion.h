// The program's own version, one number for everything that shows it: the About box, the Debian package
// and the command line. It comes from project(VERSION ...) in the top CMakeLists.txt.
#pragma once

#include <string_view>

namespace fwu {

// The version as major.minor.patch.tweak, digits and dots only (for example "1.5.1.2").
std::string_view AppVersion();

}  // namespace fwu
