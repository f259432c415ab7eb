// Figures of the running process that the benchmarks print: resident memory, now and at its peak, and the
// CPU time spent so far in its own code and in the kernel on its behalf.
#pragma once

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

// The CPU time of the process's first thread (the one that runs main and the window) and of all its other
// threads together, at the system's tick (10 ms here); zeros when the system does not tell.
struct ThreadSplit {
    double mainMs = 0;
    double othersMs = 0;
};
ThreadSplit ThreadCpuSplit();

}  // namespace fwu::platform
