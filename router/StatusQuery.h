// Reads one marked field out of the router's status page: connect, send the request, and gather the
// answer until the field between the two markers is complete, all within one deadline.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "router/StatusTransport.h"

namespace fwu {

// One receive takes at most this many bytes.
inline constexpr std::size_t kStatusBlockBytes = 1024;
// The answer is read up to this many bytes, every received byte counted (a NUL and what follows it in
// its block too); a field not complete within them counts as not found.
inline constexpr std::size_t kMaxStatusResponseChars = 1023;
// A longer field is cut to this length.
inline constexpr std::size_t kMaxVersionChars = 63;
// The whole exchange (connect, send and every receive together) ends this long after it began.
inline constexpr int kStatusExchangeLimitMs = 15000;

// The time the exchange's deadline is measured against: the steady clock, or a test's own clock.
using StatusClock = std::function<std::chrono::steady_clock::time_point()>;

// Connects through `transport` to port 80 of `address`, sends `request` and reads the answer. The first
// received block must begin with the accepted status line as its whole first line, else `refused` is set
// and nothing more is read. After each block the body received so far (after the empty line that ends
// the headers) is searched for `startMarker` where it begins a phrase of its own (not glued to a word
// or the tail of a longer name such as "Latest Firmware Version:") and the first `endMarker` after it;
// the text between them, without leading and trailing blanks (space, tab) and
// cut to kMaxVersionChars, is the field. Every such field complete by the block that completes the
// first must name the same version, else there is none. Returns 1 with the field in `versionText`, else
// 0 (versionText empty). Once `limitMs` has passed on `clock` since the call began, nothing more is awaited
// and the exchange ends as a failed connection does: 0, not refused. Each wait of the transport is limited to
// the time left. The transport is closed before returning. Keeps no state between calls and touches
// nothing but its arguments, so it may run on any thread.
int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused, const StatusClock& clock, int limitMs = kStatusExchangeLimitMs);

// How a status exchange ended.
enum class StatusQueryEnd {
    Found,          // the field was read
    Refused,        // the first line was a 401: the router refused the password
    NotStatusPage,  // the first line was another status line than the accepted one
    NoConnection,   // the connection could not be made, the request not sent, or it closed before any byte
    TimedOut,     // nothing more came in time (a receive failed or timed out, or the exchange's limit passed)
    NoField,      // the router closed, or the answer filled its bound, before the field was complete
    Conflicting,  // the body named the version field twice with different versions
};

// The most of a refusing status line kept for showing it.
inline constexpr std::size_t kMaxShownStatusLine = 60;

struct StatusPageAnswer {
    StatusQueryEnd end = StatusQueryEnd::NoConnection;
    std::string version;  // Found: the field, as QueryStatusPage gives it
    // Refused, NotStatusPage: the first line of the answer, printable ASCII, at most kMaxShownStatusLine
    std::string statusLine;
};

// QueryStatusPage telling how the exchange ended, with the refusing status line.
StatusPageAnswer ReadStatusPage(StatusTransport& transport, const std::string& address,
                                std::string_view request, std::string_view startMarker,
                                std::string_view endMarker, const StatusClock& clock,
                                int limitMs = kStatusExchangeLimitMs);

// The first line of `text` (up to CR or LF), cut to `maxChars`, every byte outside printable ASCII
// replaced by '?': an untrusted line made safe to show.
std::string PrintableLine(std::string_view text, std::size_t maxChars);

// The query on the steady clock with the exchange limit kStatusExchangeLimitMs.
int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused);

// The text without the blanks (space, tab) at its start and end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace fwu
