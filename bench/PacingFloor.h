// What the upload's pacing alone costs this machine: the same pauses, each followed by one piece sent on a
// loopback connection, and nothing else. On a virtual machine a wake-up and a send cost tens of
// microseconds, so the pauses an upload must make set a floor under its CPU share; the benchmark prints
// the program's share beside it, and what the program adds is the difference.
#pragma once

#include <cstdint>

namespace fwu::bench {

struct PacingFloor {
    const char* failure = nullptr;  // why it could not be measured; null when it was
    double wallMs = 0;
    double cpuMs = 0;  // the sending thread's CPU time, the receiver's side of loopback included
};

PacingFloor MeasurePacingFloor(int pieces, std::uint32_t pieceSize, int pauseMs);

}  // namespace fwu::bench
