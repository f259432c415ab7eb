// How an upload ended: the result the window is given (1 or 0) and, beside it, the cause. The worker
// computes it; it travels with the worker's final post to the upgrade sequence, which shows the cause.
#pragma once

#include <cstdint>
#include <string>

namespace fwu {

// How a job ended, beyond the result the window is given.
enum class UploadOutcome {
    Restarted,         // result 1: the router stayed silent long enough after the upload
    NotConnected,      // nothing of the body went out: no session, no connection, request not sent
    LostInTransfer,    // a write failed part-way; `percent` is how far the transfer had come
    RefusedByRouter,   // the router answered the upload with a status other than 2xx (`statusLine`)
    NoRestart,         // the router kept answering, or answered again before the silence was long enough
    ProbeUnavailable,  // a probe could not be sent (ICMP not allowed), so the restart cannot be seen
    Stopped,           // the user stopped the transfer before the last byte went out; `percent` as above
    TooSlow,           // the body was not out within the transfer's deadline; `percent` as above
    PasswordRefused,   // the router answered 401 while the body went out (`statusLine`)
    Unreported,        // result 0 from a sender that gave no cause
};

struct UploadVerdict {
    unsigned result = 0;  // what the window is given: 1 success, 0 failure
    UploadOutcome outcome = UploadOutcome::NotConnected;
    int percent = 0;  // LostInTransfer, Stopped, TooSlow: the percent of the image the router had taken
    std::string statusLine = {};  // RefusedByRouter: the router's status line as it came (printable, bounded)

    // For the log of the attempt, whatever the outcome:
    std::uint64_t bytesSent = 0;  // body bytes the router took (header block not counted)
    std::int64_t transferMs = 0;  // from the session's opening to the router's answer, on the worker's clock
    std::string answer = {};      // the first line of the router's answer as it came (raw, at most 200 bytes)
    std::int64_t silenceMs = 0;   // the last silence of the flash wait, from its first probe to its last
};

// The verdict for a bare result, when nothing more is known of the cause.
inline UploadVerdict VerdictOfResult(unsigned result) {
    UploadVerdict verdict;
    verdict.result = result;
    verdict.outcome = result != 0 ? UploadOutcome::Restarted : UploadOutcome::Unreported;
    return verdict;
}

}  // namespace fwu
