// Reads one marked field out of the router's status page: connect, send the request, and gather the
// answer until the field between the two markers is complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "router/StatusTransport.h"

namespace fwu {

// One receive takes at most this many bytes.
inline constexpr std::size_t kStatusBlockBytes = 1024;
// The gathered answer never grows past this; a field not found within it counts as not found.
inline constexpr std::size_t kMaxStatusResponseChars = 1023;
// A longer field is cut to this length.
inline constexpr std::size_t kMaxVersionChars = 63;

// Connects through `transport` to port 80 of `address`, sends `request` and reads the answer. The first
// received block must contain the accepted status line, else `refused` is set and nothing more is read.
// After each block the whole answer so far is searched again for `startMarker` and the first
// `endMarker` after it; the text between them is the field. Returns 1 with the field in `versionText`
// (cut to kMaxVersionChars), else 0 (versionText empty). The transport is closed before returning.
int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused);

}  // namespace fwu
