#include "cli/PasswordInput.h"

#include <iostream>

#include "platform/Secrets.h"
#include "platform/Terminal.h"
#include "router/Credential.h"

namespace fwu::cli {

PasswordLine ReadPasswordLine(std::istream& in) {
    PasswordLine result;
    std::string line;
    line.reserve(kMaxPasswordBytes + 2);    // never reallocated, so no stray copy is left in freed memory
    const platform::WipeOnExit wipe(line);  // a refused line; an accepted one moves its buffer on
    bool ended = false;                     // a line feed was read
    char c = 0;
    // The limit plus a CR and one byte more tell a line that is too long from one that fits.
    while (line.size() <= kMaxPasswordBytes + 1 && in.get(c)) {
        if (c == '\n') {
            ended = true;
            break;
        }
        line.push_back(c);
    }
    if (!ended && line.empty()) {
        result.error = "--password-stdin: standard input holds no password line";
        return result;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.size() > kMaxPasswordBytes) {
        result.error =
            "--password-stdin: the password is longer than " + std::to_string(kMaxPasswordBytes) + " bytes";
        return result;
    }
    if (line.find('\0') != std::string::npos) {
        result.error = "--password-stdin: the password holds a NUL byte";
        return result;
    }
    result.ok = true;
    result.password = std::move(line);
    return result;
}

PasswordLine ReadPasswordFromStandardInput(const std::function<bool()>& lineArrives) {
    const platform::EchoOffOnStandardInput echoOff;
    if (echoOff.Active()) {
        std::cerr << "Router password: " << std::flush;
    }
    if (!lineArrives()) {
        PasswordLine stopped;
        stopped.stopped = true;
        return stopped;
    }
    return ReadPasswordLine(std::cin);
}

}  // namespace fwu::cli
