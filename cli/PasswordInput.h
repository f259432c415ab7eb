// The router's password for --password-stdin: one line of standard input, never the command line.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace fwu::cli {

struct PasswordLine {
    bool ok = false;
    std::string password;  // when ok
    std::string error;     // one line, when not ok; it never repeats what was read
    bool stopped = false;  // the wait for the line was given up (a stop request): nothing was read
};

// Reads one line: its bytes up to the line feed (a CR before it is dropped; the last line may lack its
// line feed). Reads at most one byte more than the credential's limit, so a long input is refused without
// being held. Refused: no input at all, a line over the limit, a NUL byte. An empty line is an empty
// password.
PasswordLine ReadPasswordLine(std::istream& in);

// ReadPasswordLine of the process's standard input once `lineArrives` says a line is there (false: the
// wait was given up, and the answer is `stopped`). When standard input is a terminal, a prompt goes to
// standard error first and what is typed is not shown, also while it is waited for.
PasswordLine ReadPasswordFromStandardInput(const std::function<bool()>& lineArrives);

}  // namespace fwu::cli
