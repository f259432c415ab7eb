// The texts that say why an upgrade or a router check failed, and why the router's version is unknown:
// string-table texts filled in with the cause's details. The window and the command line show the same.
#pragma once

#include <cstddef>
#include <string>

#include "router/RouterCheck.h"
#include "transfer/UploadVerdict.h"
#include "upgrade/ConfirmationWatch.h"

namespace fwu {

// The most of the router's status line the progress page's status line quotes.
inline constexpr std::size_t kMaxQuotedStatusLine = 24;

// What a failed upload's verdict means and what to do next; empty for a verdict with result 1.
std::string FailureText(const UploadVerdict& verdict);

// The line that names what a failed router check saw; empty for a check that passed.
std::string RouterCheckFailureText(const RouterCheckResult& result);

// "unknown (reason)" for a check that passed without reading a version; empty otherwise.
std::string UnknownVersionText(const RouterCheckResult& result);

// What the progress page says when the watch after the restart showed that the upgrade did not take:
// the version the router came back with (printable, cut short), or that it did not come back; empty for
// the states that disprove nothing.
std::string DisprovedUpgradeText(ConfirmationState state, const std::string& version);

}  // namespace fwu
