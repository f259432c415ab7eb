#include "platform/Sleep.h"

#include <sys/prctl.h>

#include <chrono>
#include <thread>

namespace fwu::platform {

void SleepPrecisely(int milliseconds) {
    // The slack is a property of the thread: lower it once, the first time a thread pauses here.
    thread_local const bool slackLowered = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    static_cast<void>(slackLowered);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace fwu::platform
