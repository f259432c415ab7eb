// The user's own folders that the Windows program keeps its files in. (The Linux program takes its
// folders from the XDG variables in the code that uses them.)
#pragma once

#include <string>

namespace fwu::platform {

// The user's local application data folder (%LOCALAPPDATA%, "C:\Users\<name>\AppData\Local"), UTF-8,
// as the system's known-folder table gives it; empty when the system gives none.
std::string LocalAppDataFolder();

}  // namespace fwu::platform
