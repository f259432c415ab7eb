// Figures of the running process that the benchmarks print: resident memory, now and at its peak, and the
// CPU time spent so far in its own code and in the kernel on its behalf.
#pragma once

#include <vector>

namespace fwu::platform {

// Resident set size in KiB; -1 when the system does not tell.
long ResidentKiB();

// The largest resident set size so far, in KiB; -1 when the system does not tell.
long PeakResidentKiB();

struct CpuTimes {
    double userMs = 0;    // the process's own code, all threads
    double systemMs = 0;  // the kernel on its behalf: system calls, and the network work done in them
};
CpuTimes ProcessCpuTimes();

// The time each live thread of the process has run so far, to the nanosecond the scheduler counts (the
// per-thread figures of the tick-sampled user/system split are only good to the tick). Empty when the
// system does not tell.
struct ThreadCpu {
    long id = 0;  // the thread's id; the process's id for its first thread
    double ms = 0;
    long switches = 0;  // times it was put on a CPU: about its wake-ups
};
std::vector<ThreadCpu> ThreadCpuTimes();

// The time the calling thread has run so far, from its own CPU clock.
double CurrentThreadCpuMs();

}  // namespace fwu::platform
