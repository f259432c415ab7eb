// Echo switched off on a terminal comes back on every way out: the end of the scope, and each signal that
// ends a program waiting at a password prompt, or that a program catching it takes as a stop request. The
// terminal is a pseudo-terminal made by the test; the prompt runs in a child process.
#include <gtest/gtest.h>

#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "platform/Interrupt.h"
#include "platform/Terminal.h"

namespace fwu::platform {
namespace {

// Runs a child whose standard input is a new pseudo-terminal, switches echo off there and then ends as
// `signal` says (0: by leaving the scope and exiting); answers how it ended and whether echo is on after.
// With `caught`, the child catches the signals as the command line does, before echo goes off.
struct Ending {
    int signal = -1;  // the signal that ended the child, 0 for a normal exit
    bool wasOff = false;
    bool echoAfter = false;
    bool takenWithEchoBack = false;  // caught: the stop request was there, and echo on, inside the scope
};

Ending RunPrompt(int signal, bool caught) {
    Ending ending;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return ending;
    }
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    int report[2];
    if (slave < 0 || ::pipe(report) != 0) {
        return ending;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(slave, STDIN_FILENO);
        std::optional<InterruptCatcher> catcher;
        if (caught) {
            catcher.emplace();
        }
        {
            const EchoOffOnStandardInput echoOff;
            termios now{};
            ::tcgetattr(STDIN_FILENO, &now);
            const char off = (echoOff.Active() && (now.c_lflag & ECHO) == 0) ? 1 : 0;
            [[maybe_unused]] const ssize_t written = ::write(report[1], &off, 1);
            if (signal != 0) {
                ::raise(signal);
            }
            ::tcgetattr(STDIN_FILENO, &now);
            const char taken = (catcher && catcher->TakeRequest() && (now.c_lflag & ECHO) != 0) ? 1 : 0;
            [[maybe_unused]] const ssize_t told = ::write(report[1], &taken, 1);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    char off = 0;
    ending.wasOff = ::read(report[0], &off, 1) == 1 && off == 1;
    char taken = 0;
    ending.takenWithEchoBack = ::read(report[0], &taken, 1) == 1 && taken == 1;
    int status = 0;
    ::waitpid(child, &status, 0);
    ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    termios after{};
    ending.echoAfter = ::tcgetattr(slave, &after) == 0 && (after.c_lflag & ECHO) != 0;
    ::close(report[0]);
    ::close(slave);
    ::close(master);
    return ending;
}

TEST(EchoOffOnStandardInput, EchoComesBackOnEveryWayOut) {
    for (const bool caught : {false, true}) {
        for (const int signal : {0, SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << (caught ? ", caught" : ""));
            const Ending ending = RunPrompt(signal, caught);
            EXPECT_TRUE(ending.wasOff);
            // A caught signal is the program's to answer: it goes on, with echo back at once.
            EXPECT_EQ(ending.signal, caught ? 0 : signal);
            EXPECT_EQ(ending.takenWithEchoBack, caught && signal != 0);
            EXPECT_TRUE(ending.echoAfter);
        }
    }
}

}  // namespace
}  // namespace fwu::platform
