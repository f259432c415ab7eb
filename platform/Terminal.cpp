#include "platform/Terminal.h"

#include <termios.h>
#include <unistd.h>

namespace fwu::platform {
namespace {

int Descriptor(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return STDIN_FILENO;
        case StandardStream::Output:
            return STDOUT_FILENO;
        case StandardStream::Error:
            return STDERR_FILENO;
    }
    return STDIN_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    return ::isatty(Descriptor(stream)) == 1;
}

EchoOffOnStandardInput::EchoOffOnStandardInput() {
    termios settings{};
    if (::isatty(STDIN_FILENO) != 1 || ::tcgetattr(STDIN_FILENO, &settings) != 0) {
        return;
    }
    savedFlags = settings.c_lflag;
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_lflag |= ECHONL;  // the line feed still shows, so the next output starts on its own line
    active = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings) == 0;
}

EchoOffOnStandardInput::~EchoOffOnStandardInput() {
    termios settings{};
    if (active && ::tcgetattr(STDIN_FILENO, &settings) == 0) {
        settings.c_lflag = static_cast<tcflag_t>(savedFlags);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings);
    }
}

}  // namespace fwu::platform
