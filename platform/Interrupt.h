// Ctrl-C (SIGINT), SIGTERM and SIGHUP (a closed terminal or a dropped SSH connection) as a request the
// program answers, rather than the end of the process: while an InterruptCatcher lives, each of them only
// sets a flag that the program's loop takes and acts on (a transfer stops, the flash wait refuses), and the
// last one taken is remembered for the exit status.
#pragma once

namespace fwu::platform {

enum class StopSignal { None, Interrupt, Terminate, Hangup };

class InterruptCatcher {
public:
    InterruptCatcher();   // SIGINT, SIGTERM and SIGHUP from now on set the flag
    ~InterruptCatcher();  // they end the process again, as before
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // True once for each signal since the last call.
    bool TakeRequest();
    // The signal of the last request taken; None before any.
    StopSignal LastTaken() const { return lastTaken; }

private:
    StopSignal lastTaken = StopSignal::None;
};

// From now on a write to a closed pipe fails with an error instead of ending the process.
void IgnoreBrokenPipe();

}  // namespace fwu::platform
