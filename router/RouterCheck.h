// The check of the router between the login page and the verify page: is the router there, does it
// take the password, and which firmware version does it run.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "router/Probe.h"
#include "router/RouterAddress.h"
#include "router/StatusTransport.h"

namespace fwu {

// What the check uses to reach the router; tests hand in fakes.
struct RouterCheckServices {
    std::function<void(const std::string& address)> flushArpEntry;
    std::function<bool(const std::string& address)> pingHost;
    StatusTransport* transport = nullptr;
    // Tells a probe that could not be sent from an unanswered one; used instead of pingHost when set.
    std::function<ProbeOutcome(const std::string& address)> probeHost = {};
    // Also tells why a request was not sent, and by which means; used before the two above when set.
    std::function<ProbeAttempt(const std::string& address)> probeAttempt = {};
};

// What the check saw, beyond passed or not.
enum class RouterCheckReason {
    VersionRead,       // passed with the version
    NoAnswer,          // failed: the probe went unanswered
    PingNotAllowed,    // failed: no probe could be sent (this user may not open an ICMP socket)
    NotRouterAddress,  // failed: the address is one no router can hold (this host, loopback, multicast...)
    BroadcastAddress,  // failed: the system refused the probe, the address is a broadcast address of its own
    NoRoute,           // failed: the system has no route to the address, no probe went out
    PasswordRefused,   // failed: the router answered 401 (`statusLine`), or the password is too long to send
    NotStatusPage,     // failed: another status line than the accepted one came back (`statusLine`)
    NoVersionField,    // passed without a version: the status page has no version field
    NoAnswerInTime,    // passed without a version: the web page did not answer in time
    ConnectionFailed,  // passed without a version: the web page could not be reached
    TwoVersions,       // passed without a version: the status page named two different versions
    NotRun,            // failed: the check could not be run at all (no thread for it)
};

struct RouterCheckResult {
    bool passed = false;                 // false only when the router is not there or refused the password
    std::optional<std::string> version;  // the version the status page gave; nothing when it gave none
    RouterCheckReason reason = RouterCheckReason::NoAnswer;
    // PasswordRefused, NotStatusPage: the router's status line (printable, bounded), if it sent one
    std::string statusLine = {};
    // What sent the check's probe, when the check's services tell it.
    ProbeMeans probeMeans = ProbeMeans::None;
};

// The status request for a credential: string 32002, the credential, and the empty line.
std::string BuildStatusRequest(const std::string& credential);

// Flushes the address's ARP entry, probes the router and reads its version from the status page with the
// Basic `credential` (BuildBasicCredential). Fails only when the probe goes unanswered or the router
// refuses the request; a status page that cannot be had or read passes without a version.
RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential,
                              const RouterCheckServices& tools);

// The check with the real ARP flush, probe and TCP transport.
RouterCheckResult CheckRouter(const RouterAddress& address, const std::string& credential);

}  // namespace fwu
