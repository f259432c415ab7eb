// The upload worker: sends the image to the router's upgrade handler in paced pieces with a progress post
// per percent, reads the start of the router's answer, then waits while the router writes its flash,
// probing it once per cycle until it has stayed silent long enough to be restarting, and posts the result.
// It reaches the window only through UploadWindow; its pauses, clock, probes and HTTP client come from
// UploadServices so that tests run it in microseconds.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/HttpSession.h"
#include "router/RouterEndpoints.h"
#include "transfer/UploadWindow.h"

namespace fwu {

// The name the worker's HTTP session goes by.
inline constexpr const char* kUploadAgentName = "HttpSendFileTest";

// What the worker is given; filled before it starts and only read by it.
struct UploadJob {
    std::string routerAddress;                   // dotted IPv4 address as the user entered it
    std::string password;                        // the router password
    UploadWindow* window = nullptr;              // percent, status line and posts
    std::uint32_t percentStep = 1;               // bytes per percent of the image, at least 1
    std::uint16_t routerPort = kRouterHttpPort;  // the router's web server
};

// What one probe of the router found.
enum class ProbeOutcome {
    Answered,  // an echo reply came within the wait
    Silent,    // the request went out and nothing came back within the wait
    NotSent,   // no request could be sent at all (no ICMP socket): says nothing about the router
};

struct UploadVerdict;

struct UploadServices {
    std::function<std::unique_ptr<platform::HttpSession>()> openSession;  // a fresh HTTP client
    std::function<void(int ms)> sleep;                                    // pauses at least that long
    std::function<ProbeOutcome(const std::string& address)> probe;        // one echo, up to 1,000 ms
    std::function<std::int64_t()> nowMs;  // a steady clock in milliseconds; silences are measured on it
    // Told the verdict just before the window gets the result (on the worker's thread); may be empty.
    std::function<void(const UploadVerdict&)> report;
    // Told, as soon as the transfer is over, what is known then: bytesSent, transferMs and answer.
    std::function<void(const UploadVerdict&)> transferEnded;
};

// The real HTTP client, real sleeps, the steady clock and the ICMP probe.
UploadServices SystemUploadServices();

// How a job ended, beyond the result the window is given.
enum class UploadOutcome {
    Restarted,         // result 1: the router stayed silent long enough after the upload
    NotConnected,      // nothing of the body went out: no session, no connection, request not sent
    LostInTransfer,    // a write failed part-way; `percent` is how far the transfer had come
    RefusedByRouter,   // the router answered the upload with a status other than 2xx (`statusLine`)
    NoRestart,         // the router kept answering, or answered again before the silence was long enough
    ProbeUnavailable,  // a probe could not be sent (ICMP not allowed), so the restart cannot be seen
};

struct UploadVerdict {
    unsigned result = 0;  // what the window is given: 1 success, 0 failure
    UploadOutcome outcome = UploadOutcome::NotConnected;
    int percent = 0;         // LostInTransfer: the percent last shown
    std::string statusLine;  // RefusedByRouter: the router's status line as it came (printable, bounded)

    // For the log of the attempt, whatever the outcome:
    std::uint64_t bytesSent = 0;  // body bytes the router took (header block not counted)
    std::int64_t transferMs = 0;  // from the session's opening to the router's answer, on the worker's clock
    std::string answer;           // the first line of the router's answer as it came (raw, at most 200 bytes)
    std::int64_t silenceMs = 0;   // the last silence of the flash wait, from its first probe to its last
};

// Runs the whole job. The result is 1 only when the router, after taking the whole body without refusing
// it, stayed silent to every probe for kSilenceForRestartMs in a row; 0 otherwise. Releases `imageData`
// once the transfer is over, whatever its outcome. Its last act is exactly one PostUpgradeDone with the
// result.
UploadVerdict RunUploadJob(const UploadJob& job, QByteArray& imageData, const UploadServices& devices);

// RunUploadJob, giving the result only.
unsigned UploadThreadProc(const UploadJob& job, QByteArray& imageData, const UploadServices& devices);

}  // namespace fwu
