#include "platform/Terminal.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace fwu::platform {
namespace {

// The signals that end a program waiting at a prompt (Ctrl-C, Ctrl-\, a closed terminal, kill): while echo
// is off each of them first puts the terminal's settings back, then goes where it went before: to the
// program's own handler (a stop request it answers), or the process ends as it would have.
constexpr std::array<int, 4> kEndingSignals{SIGINT, SIGQUIT, SIGHUP, SIGTERM};
termios savedSettings{};  // written before the handlers are set, read only by them
std::array<struct sigaction, kEndingSignals.size()> previousActions{};

void RestoreThenPassOn(int number) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);  // async-signal-safe
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        const struct sigaction& previous = previousActions[i];
        if (kEndingSignals[i] != number || (previous.sa_flags & SA_SIGINFO) != 0 ||
            previous.sa_handler == SIG_DFL) {
            continue;
        }
        if (previous.sa_handler != SIG_IGN) {
            previous.sa_handler(number);
        }
        return;
    }
    ::signal(number, SIG_DFL);
    ::raise(number);
}

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

bool WaitForStandardInput(int timeoutMs) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    // A closed or invalid descriptor counts as readable: the read that follows finds its end at once.
    return ::poll(&input, 1, timeoutMs) == 1;
}

EchoOffOnStandardInput::EchoOffOnStandardInput() {
    termios settings{};
    if (::isatty(STDIN_FILENO) != 1 || ::tcgetattr(STDIN_FILENO, &settings) != 0) {
        return;
    }
    savedFlags = settings.c_lflag;
    savedSettings = settings;
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_lflag |= ECHONL;  // the line feed still shows, so the next output starts on its own line
    struct sigaction action {};
    action.sa_handler = RestoreThenPassOn;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        ::sigaction(kEndingSignals[i], &action, &previousActions[i]);
    }
    active = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings) == 0;
    if (!active) {
        RestoreHandlers();
    }
}

void EchoOffOnStandardInput::RestoreHandlers() {
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        ::sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    }
}

EchoOffOnStandardInput::~EchoOffOnStandardInput() {
    termios settings{};
    if (active && ::tcgetattr(STDIN_FILENO, &settings) == 0) {
        settings.c_lflag = static_cast<tcflag_t>(savedFlags);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings);
    }
    if (active) {
        RestoreHandlers();
    }
}

}  // namespace fwu::platform
