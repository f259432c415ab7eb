// Ctrl-C as a request the program answers, rather than the end of the process: while an InterruptCatcher
// lives, SIGINT only sets a flag that the program's loop takes and acts on (a transfer stops, the flash
// wait refuses).
#pragma once

namespace fwu::platform {

class InterruptCatcher {
public:
    InterruptCatcher();   // SIGINT from now on sets the flag
    ~InterruptCatcher();  // SIGINT ends the process again, as before
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // True once for each Ctrl-C since the last call.
    bool TakeRequest();
};

}  // namespace fwu::platform
