#include "platform/ConsoleStreams.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/WideText.h"

namespace fwu::platform {

void WriteStandardStreamsAsBytes() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr || count != argc) {
        arguments.assign(argv, argv + argc);
    } else {
        for (int i = 0; i < count; ++i) {
            arguments.push_back(win32::ToUtf8(wide[i]));
        }
    }
    if (wide != nullptr) {
        ::LocalFree(wide);
    }
    return arguments;
}

}  // namespace fwu::platform
