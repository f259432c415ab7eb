// Figures of the running process that the benchmarks print: resident memory, now and at its peak.
#pragma once

namespace fwu::platform {

// Resident set size in KiB; -1 when the system does not tell.
long ResidentKiB();

// The largest resident set size so far, in KiB; -1 when the system does not tell.
long PeakResidentKiB();

}  // namespace fwu::platform
