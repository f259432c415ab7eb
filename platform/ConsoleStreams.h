// The Windows program's standard output and error as byte streams: the C runtime writes a line end as it
// is given ("\n"), not as CR LF, so the JSON lines and every text come out byte for byte as the Linux
// program writes them. (A POSIX system has no text mode: nothing to do there.)
#pragma once

namespace fwu::platform {

// Switches standard output and standard error to binary mode; call before anything is written.
void WriteStandardStreamsAsBytes();

}  // namespace fwu::platform
