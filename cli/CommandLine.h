// The program's options, read before anything else starts: no option handled here opens a socket, starts
// a command, opens a window or looks for another running copy. Pure, so every case is tested as a table.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/ExitCode.h"

namespace fwu::cli {

inline constexpr std::string_view kProgramName = "firmware-upgrade-utility";

// Longest value accepted for --log (the system's path limit).
inline constexpr std::size_t kMaxLogPathBytes = 4095;

enum class Action {
    RunWindow,    // no options: the upgrade window
    ShowHelp,     // --help / -h
    ShowVersion,  // --version
    ImageInfo,    // --image-info
    RunCli,       // --cli: the upgrade without a window
    UsageError,   // the command line is refused; `error` says why
};

// What the headless upgrade was asked to do.
struct CliOptions {
    std::optional<std::string> address;  // dotted IPv4, normalised ("010.0.0.1" becomes "10.0.0.1")
    bool passwordFromStdin = false;
    bool assumeYes = false;
    bool json = false;
    bool checkOnly = false;    // --check: the router check alone, nothing sent
    bool skipCurrent = false;  // --skip-current: nothing sent to a router on the carried version
    std::optional<std::string> logPath;
};

struct CommandLine {
    Action action = Action::RunWindow;
    CliOptions cli;     // filled when action is RunCli; for UsageError `json` and `address` as read before it
    std::string error;  // one line without the program's name, when action is UsageError
};

// Reads the arguments that follow the program's name. An error never repeats an option's value, since a
// mistyped option may carry a password. Options: --help/-h, --version, --image-info, --cli with --address A
// (or --address=A), --password-stdin, --yes, --json, --check or --skip-current, --log FILE (or --log=FILE).
// --help wins over the other actions; the others exclude each other; the --cli options need --cli; a value
// option given twice, a flag given a value, a bare argument and any password on the command line are refused.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The same for main()'s argv (argv[0], the program's name, is skipped).
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The full text of --help.
std::string UsageText();

// The two lines written to standard error for a refused command line: the error and the usage hint.
std::string UsageErrorText(std::string_view error);

}  // namespace fwu::cli
