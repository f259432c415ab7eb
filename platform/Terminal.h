// The program's standard streams as the command line needs them: whether each is a terminal (progress
// redrawn in place, questions asked) and typing without echo while a password is read from a terminal.
#pragma once

namespace fwu::platform {

enum class StandardStream { Input, Output, Error };

// True when the stream is connected to a terminal.
bool IsTerminal(StandardStream stream);

// Waits up to `timeoutMs` for standard input to have something to read (on a terminal: a whole line) or to
// be at its end; true then. False when the time ran out or a signal came first, so a caller that waits for
// a line can look at its stop requests between two calls.
bool WaitForStandardInput(int timeoutMs);

// While it lives, what is typed on the terminal of standard input is not shown; the previous setting is
// put back at its end, and also at once when a signal (Ctrl-C among them) comes before that: the signal
// then goes on to the handler the program had for it, or ends the process. Does nothing when standard
// input is no terminal.
class EchoOffOnStandardInput {
public:
    EchoOffOnStandardInput();
    ~EchoOffOnStandardInput();
    EchoOffOnStandardInput(const EchoOffOnStandardInput&) = delete;
    EchoOffOnStandardInput& operator=(const EchoOffOnStandardInput&) = delete;

    // True when echo was switched off (and will be switched back on).
    bool Active() const { return active; }

private:
    static void RestoreHandlers();
    bool active = false;
    unsigned long savedFlags = 0;
};

}  // namespace fwu::platform
