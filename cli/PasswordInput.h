// The router's password for --password-stdin: one line of standard input, never the command line.
#pragma once

#include <iosfwd>
#include <string>

namespace fwu::cli {

struct PasswordLine {
    bool ok = false;
    std::string password;  // when ok
    std::string error;     // one line, when not ok; it never repeats what was read
};

// Reads one line: its bytes up to the line feed (a CR before it is dropped; the last line may lack its
// line feed). Reads at most one byte more than the credential's limit, so a long input is refused without
// being held. Refused: no input at all, a line over the limit, a NUL byte. An empty line is an empty
// password.
PasswordLine ReadPasswordLine(std::istream& in);

// ReadPasswordLine of the process's standard input. When that is a terminal, a prompt goes to standard
// error and what is typed is not shown.
PasswordLine ReadPasswordFromStandardInput();

}  // namespace fwu::cli
