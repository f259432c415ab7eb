// What the simulated router sends back: the status page (with the misbehaviour of the chosen fault mode),
// the refusals, and the answer to an upload. Each answer is a list of sends with the pause before each.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/router-sim/SimOptions.h"

namespace fwu::sim {

// The pause between the two halves of a split answer: long enough that the client's first receive
// returns the first half alone.
inline constexpr int kSplitPauseMs = 300;

struct Send {
    int pauseBeforeMs = 0;
    std::string bytes;
};

struct Answer {
    std::vector<Send> sends;
    bool keepOpen = false;  // leave the connection open after the last send
};

// All sends of an answer joined: what a client that reads to the end receives.
std::string Joined(const Answer& answer);

// The status page for a request with the right credential, shaped by the fault mode; the drip modes
// send one byte every `dripMs` after the head.
Answer StatusPage(Fault fault, std::string_view version, int dripMs = 1000);

// "HTTP/1.0 <code> <reason>" with a short page, closed afterwards.
Answer ErrorAnswer(int code);

// The answer to an upload the router took.
Answer UploadAccepted();

// The answer to an upload under --upload-answer: the given status line, a short page, closed afterwards.
Answer UploadAnsweredWith(std::string_view statusLine);

}  // namespace fwu::sim
