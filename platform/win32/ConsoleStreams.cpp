#include "platform/ConsoleStreams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace fwu::platform {

void WriteStandardStreamsAsBytes() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

}  // namespace fwu::platform
