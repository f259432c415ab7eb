// Pauses of the upload worker. The image goes out after 2,582 pauses of 5 ms, so the default 50 us timer
// slack the system adds to every wake-up of a thread would alone stretch the transfer by about 1 %.
#pragma once

namespace fwu::platform {

// Blocks the calling thread for at least `milliseconds`, waking as close to that as the system allows.
void SleepPrecisely(int milliseconds);

}  // namespace fwu::platform
