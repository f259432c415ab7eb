// The upload worker: sends the image to the router's upgrade handler in paced pieces with a progress post
// per percent, then waits while the router writes its flash, probing it once per cycle until it falls
// silent, and posts the result. It reaches the window only through UploadWindow; its pauses, probes and
// HTTP client come from UploadDevices so that tests run it in microseconds.
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

struct UploadDevices {
    std::function<std::unique_ptr<platform::HttpSession>()> openSession;  // a fresh HTTP client
    std::function<void(int ms)> sleep;                                    // pauses at least that long
    std::function<bool(const std::string& address)> probe;                // true when the router answered
};

// The real HTTP client, real sleeps and the ICMP probe.
UploadDevices SystemUploadDevices();

// Runs the whole job and returns its result, 1 when the router fell silent during the wait (it restarts
// with the new firmware), 0 when it never did or the transfer failed. Releases `imageData` once the
// transfer is over, whatever its outcome. Its last act is exactly one PostUpgradeDone with the result.
unsigned UploadThreadProc(const UploadJob& job, QByteArray& imageData, const UploadDevices& devices);

}  // namespace fwu
