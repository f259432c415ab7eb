// Where a Windows program (a PE file) ends: its headers, its section table and every section's raw data.
// Whatever follows is the file's overlay, which the loader never maps; the carried image and its trailer
// live there. Pure over bytes, so good and broken headers are tested without files.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fwu::pack {

enum class PeVerdict {
    NotPe,      // no "MZ" at the start: some other kind of file
    Ok,         // a whole 64-bit Windows program; `bytes` is where it ends
    CutShort,   // a header, the section table or a section's raw data runs past the end of the file
    Malformed,  // an "MZ" file that is no 64-bit Windows program (no PE signature, a 32-bit one, ...)
    Signed,     // a signed program: packing would break its signature (and drop it with the overlay)
};

struct PeSize {
    PeVerdict verdict = PeVerdict::NotPe;
    std::uint64_t bytes = 0;  // the program's extent, when Ok
    std::string problem;      // one line, for every verdict but Ok
};

// Measures the PE32+ file at the start of `file`: the end of its headers, of its section table, of the
// last section's raw data, and of the COFF symbol and string tables when it has them (an unstripped
// build keeps them after its sections; they belong to the program, not to its overlay).
PeSize MeasurePe(std::span<const std::uint8_t> file);

}  // namespace fwu::pack
