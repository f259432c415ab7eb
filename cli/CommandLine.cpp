#include "cli/CommandLine.h"

#include <array>
#include <vector>

#include "platform/Socket.h"

namespace fwu::cli {
namespace {

constexpr std::string_view kSynopsis =
    "[--help | --version | --image-info | --cli [--address A] [--password-stdin] [--yes] [--json] "
    "[--log FILE] [--check | --skip-current]]";

// Options that would carry a password in the arguments, where every user of the machine can read it.
constexpr std::array<std::string_view, 5> kPasswordOptions{"--password", "--passwd", "--pass", "--pw", "-p"};

enum class Option {
    Help,
    Version,
    ImageInfo,
    Cli,
    Address,
    PasswordStdin,
    Yes,
    Json,
    Check,
    SkipCurrent,
    Log
};

struct OptionSpec {
    std::string_view name;
    Option option;
    bool takesValue;
};

constexpr std::array<OptionSpec, 12> kOptions{{
    {"--help", Option::Help, false},
    {"-h", Option::Help, false},
    {"--version", Option::Version, false},
    {"--image-info", Option::ImageInfo, false},
    {"--cli", Option::Cli, false},
    {"--address", Option::Address, true},
    {"--password-stdin", Option::PasswordStdin, false},
    {"--yes", Option::Yes, false},
    {"--json", Option::Json, false},
    {"--check", Option::Check, false},
    {"--skip-current", Option::SkipCurrent, false},
    {"--log", Option::Log, true},
}};

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& known : kOptions) {
        if (known.name == name) {
            return &known;
        }
    }
    return nullptr;
}

// Also "-pSECRET" and "--passwordSECRET": anything that starts like a password option and is no option of
// ours counts as one, so its value is neither used nor shown.
bool IsPasswordOption(std::string_view name) {
    for (std::string_view refused : kPasswordOptions) {
        if (name == refused) {
            return true;
        }
    }
    return !name.starts_with("--") ? name.starts_with("-p") : name.starts_with("--pass");
}

// What a refusal shows of a password option: its name when it is one of the list, else a fixed name, so no
// character of a password written onto the option is repeated.
std::string_view PasswordOptionShown(std::string_view name) {
    for (std::string_view refused : kPasswordOptions) {
        if (name == refused) {
            return refused;
        }
    }
    return name.starts_with("--") ? "--password" : "-p";
}

CommandLine Refuse(std::string error) {
    CommandLine result;
    result.action = Action::UsageError;
    result.error = std::move(error);
    return result;
}

// The name of an option as it can be shown: the part before any "=", and only when it is plain text.
std::string ShownName(std::string_view name) {
    constexpr std::size_t kMaxShown = 40;
    if (name.size() > kMaxShown) {
        return "an option";
    }
    for (char c : name) {
        if (c < 0x21 || c > 0x7E) {
            return "an option";
        }
    }
    return std::string(name);
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    bool seen[static_cast<int>(Option::Log) + 1] = {};
    CliOptions cli;
    // A refusal after --cli and --json is also told as JSON lines, with the address if it was read.
    const auto refuse = [&](std::string error) {
        CommandLine result = Refuse(std::move(error));
        result.cli.json = seen[static_cast<int>(Option::Cli)] && seen[static_cast<int>(Option::Json)];
        result.cli.address = cli.address;
        return result;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            return refuse("unexpected argument number " + std::to_string(i + 1) +
                          " (the program takes only options)");
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const bool inlineValue = equals != std::string_view::npos;
        const OptionSpec* known = FindOption(name);
        if (known == nullptr && IsPasswordOption(name)) {
            return refuse(std::string(PasswordOptionShown(name)) +
                          ": a password is never taken from the command line, where other users can read it; "
                          "use --password-stdin");
        }
        if (known == nullptr) {
            return refuse("unknown option " + ShownName(name));
        }
        const int index = static_cast<int>(known->option);
        if (!known->takesValue) {
            if (inlineValue) {
                return refuse(std::string(known->name) + " takes no value");
            }
            seen[index] = true;
            continue;
        }
        if (seen[index]) {
            return refuse(std::string(known->name) + " is given twice");
        }
        seen[index] = true;
        std::string_view value;
        if (inlineValue) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with('-')) {
            // An option in the value's place means the value was left out ("--log --yes"); a value that
            // really starts with "-" is written --log=-x.
            value = arguments[++i];
        } else {
            return refuse(std::string(known->name) + " needs a value");
        }
        if (known->option == Option::Address) {
            platform::Ipv4Address parsed{};
            if (!platform::ParseDottedIpv4(value, parsed)) {
                return refuse("--address needs a dotted IPv4 address: four numbers 0 to 255, digits only");
            }
            cli.address = platform::FormatIpv4(parsed);
        } else {
            if (value.empty() || value.size() > kMaxLogPathBytes ||
                value.find('\0') != std::string_view::npos) {
                return refuse("--log needs a file name of 1 to " + std::to_string(kMaxLogPathBytes) +
                              " bytes");
            }
            cli.logPath = std::string(value);
        }
    }

    const auto has = [&](Option option) { return seen[static_cast<int>(option)]; };
    if (has(Option::Help)) {
        CommandLine result;
        result.action = Action::ShowHelp;
        return result;
    }
    const int actions = int{has(Option::Version)} + int{has(Option::ImageInfo)} + int{has(Option::Cli)};
    if (actions > 1) {
        return refuse("--version, --image-info and --cli exclude each other");
    }
    if (!has(Option::Cli)) {
        for (const OptionSpec& known : kOptions) {
            const bool cliOnly = known.option == Option::Address || known.option == Option::PasswordStdin ||
                                 known.option == Option::Yes || known.option == Option::Json ||
                                 known.option == Option::Log || known.option == Option::Check ||
                                 known.option == Option::SkipCurrent;
            if (cliOnly && has(known.option)) {
                return refuse(std::string(known.name) + " needs --cli");
            }
        }
    }
    if (has(Option::Check) && has(Option::SkipCurrent)) {
        return refuse("--check and --skip-current exclude each other");
    }
    CommandLine result;
    if (has(Option::Version)) {
        result.action = Action::ShowVersion;
    } else if (has(Option::ImageInfo)) {
        result.action = Action::ImageInfo;
    } else if (has(Option::Cli)) {
        result.action = Action::RunCli;
        cli.passwordFromStdin = has(Option::PasswordStdin);
        cli.assumeYes = has(Option::Yes);
        cli.json = has(Option::Json);
        cli.checkOnly = has(Option::Check);
        cli.skipCurrent = has(Option::SkipCurrent);
        result.cli = std::move(cli);
    }
    return result;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    return ParseCommandLine(std::span<const std::string_view>(arguments));
}

std::string UsageText() {
    std::string text = "Usage: " + std::string(kProgramName) + " " + std::string(kSynopsis) + "\n";
    text +=
        "\n"
        "Upgrades the router's firmware with the image this program carries. Without options it opens the\n"
        "upgrade window.\n"
        "\n"
        "Options:\n"
        "  -h, --help        show this text and end\n"
        "  --version         show the program's version and the carried firmware's version and end\n"
        "  --image-info      show the carried image's texts, size and SHA-256, and check its digest\n"
        "  --cli             upgrade without a window\n"
        "\n"
        "With --cli:\n"
        "  --address A       the router's address (dotted IPv4); without it the proposed default gateway\n"
        "  --password-stdin  read the router's password as one line from standard input (at most 188\n"
        "                    bytes); without it the router's default password. A password is never taken\n"
        "                    from the command line.\n"
        "  --yes             answer yes when the router runs a newer firmware (a downgrade)\n"
        "  --json            progress and the verdict as one JSON object per line\n"
        "  --log FILE        also write the attempt's log to FILE\n"
        "  --check           check the router only and show what an upgrade would do; sends nothing\n"
        "  --skip-current    send nothing when the router already runs the carried version\n"
        "\n"
        "Exit status:\n"
        "  0 upgraded (or the information asked for was shown)   1 upgrade failed   2 wrong usage\n"
        "  3 router check failed   4 downgrade declined   5 carried image damaged   6 another copy runs\n"
        "  130 stopped by Ctrl-C (SIGINT)   143 stopped by SIGTERM or SIGHUP\n";
    return text;
}

std::string UsageErrorText(std::string_view error) {
    return std::string(kProgramName) + ": " + std::string(error) + "\n" +
           "Usage: " + std::string(kProgramName) + " " + std::string(kSynopsis) + "\n";
}

}  // namespace fwu::cli
