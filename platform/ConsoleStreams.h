// The Windows program's standard output and error as byte streams: the C runtime writes a line end as it
// is given ("\n"), not as CR LF, so the JSON lines and every text come out byte for byte as the Linux
// program writes them. (A POSIX system has no text mode: nothing to do there.)
#pragma once

#include <string>
#include <vector>

namespace fwu::platform {

// Switches standard output and standard error to binary mode; call before anything is written.
void WriteStandardStreamsAsBytes();

// The program's arguments in UTF-8, split from the wide command line as the C runtime splits it: main's
// argv holds them in the ANSI code page, which turns a path or password outside it into question marks.
// Falls back to argv when the system gives no wide command line.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace fwu::platform
