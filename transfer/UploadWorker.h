// The upload worker: sends the image to the router's upgrade handler in paced pieces with a progress post
// per percent, reads the start of the router's answer, then waits while the router writes its flash,
// probing it once per cycle until it has stayed silent long enough to be restarting, and posts the result.
// It reaches the window only through UploadWindow; its pauses, clock, probes and HTTP client come from
// UploadServices so that tests run it in microseconds.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Bytes.h"
#include "platform/HttpSession.h"
#include "router/Probe.h"
#include "router/RouterEndpoints.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadVerdict.h"
#include "transfer/UploadWindow.h"

namespace fwu {

// The name the worker's HTTP session goes by.
inline constexpr const char* kUploadAgentName = "HttpSendFileTest";

// What the starter and the worker share while a job runs. `stop` is set by the window's thread when the
// user stops the transfer; the worker reads it between pieces and in its pauses, and ends the transfer
// (closing the connection mid-body) unless the last byte is already out. `bodySent` is set by the worker
// once the whole body went out: from then on a stop is no longer taken.
struct UploadControl {
    std::atomic<bool> stop{false};
    std::atomic<bool> bodySent{false};
};

// What the worker is given; filled before it starts and only read by it.
struct UploadJob {
    std::string routerAddress;                   // dotted IPv4 address as the user entered it
    UploadHttpRequest request;                   // built once by the upload start, for this image
    UploadWindow* window = nullptr;              // percent, status line and posts
    std::uint32_t percentStep = 1;               // bytes per percent of the image, at least 1
    std::uint16_t routerPort = kRouterHttpPort;  // the router's web server
    UploadControl* control = nullptr;            // the stop request and the body's end; none: no stop
};

struct UploadServices {
    std::function<std::unique_ptr<platform::HttpSession>()> openSession;  // a fresh HTTP client
    std::function<void(int ms)> sleep;                                    // pauses at least that long
    std::function<ProbeOutcome(const std::string& address)> probe;        // one echo, up to 1,000 ms
    std::function<std::int64_t()> nowMs;  // a steady clock in milliseconds; silences are measured on it
    // Told the verdict just before the window gets the result (on the worker's thread); may be empty.
    std::function<void(const UploadVerdict&)> report;
    // Told, as soon as the transfer is over, what is known then: bytesSent, transferMs and answer.
    std::function<void(const UploadVerdict&)> transferEnded;
    // Told, the moment a silence of the flash wait has lasted kSilenceForRestartMs, how long it has
    // lasted (the log then writes it when it happened, not when the wait's cycles end); may be empty.
    std::function<void(std::int64_t silenceMs)> silenceReached = {};
};

// The real HTTP client, real sleeps, the steady clock and the ICMP probe.
UploadServices SystemUploadServices();

// Runs the whole job. The result is 1 only when the router, after taking the whole body without refusing
// it, stayed silent to every probe for kSilenceForRestartMs in a row; 0 otherwise. Lets go of
// `imageData` (resets its reference to the image) once the transfer is over, whatever its outcome. A stop
// taken before the last byte went out ends the job with UploadOutcome::Stopped. Its last act is exactly one
// PostUpgradeVerdict with the verdict.
UploadVerdict RunUploadJob(const UploadJob& job, std::shared_ptr<const Bytes>& imageData,
                           const UploadServices& devices);

}  // namespace fwu
