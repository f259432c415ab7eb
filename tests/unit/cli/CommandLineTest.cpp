// The command line as a table: arguments in, action or refusal out; the password never comes from an
// argument and no refusal repeats one. Then the password line of standard input and --image-info's text.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/CarriedImage.h"
#include "cli/CommandLine.h"
#include "cli/PasswordInput.h"

namespace fwu::cli {
namespace {

struct ParseCase {
    std::vector<std::string_view> args;
    Action action;
    std::string_view error;  // part of the refusal; empty when none is expected
};

TEST(ParseCommandLine, Table) {
    const std::vector<ParseCase> cases{
        {{}, Action::RunWindow, ""},
        {{"--help"}, Action::ShowHelp, ""},
        {{"-h"}, Action::ShowHelp, ""},
        {{"--version", "--help"}, Action::ShowHelp, ""},
        {{"--version"}, Action::ShowVersion, ""},
        {{"--image-info"}, Action::ImageInfo, ""},
        {{"--cli"}, Action::RunCli, ""},
        {{"--help", "--bogus"}, Action::UsageError, "unknown option --bogus"},
        {{"--bogus=hunter2"}, Action::UsageError, "unknown option --bogus"},
        {{"-x"}, Action::UsageError, "unknown option -x"},
        {{"-"}, Action::UsageError, "unexpected argument number 1"},
        {{"--cli", "192.168.1.1"}, Action::UsageError, "unexpected argument number 2"},
        {{"--version", "--image-info"}, Action::UsageError, "exclude each other"},
        {{"--version=1"}, Action::UsageError, "--version takes no value"},
        {{"--address", "192.168.1.1"}, Action::UsageError, "--address needs --cli"},
        {{"--json"}, Action::UsageError, "--json needs --cli"},
        {{"--check"}, Action::UsageError, "--check needs --cli"},
        {{"--skip-current"}, Action::UsageError, "--skip-current needs --cli"},
        {{"--cli", "--check", "--skip-current"}, Action::UsageError, "exclude each other"},
        {{"--cli", "--check=yes"}, Action::UsageError, "--check takes no value"},
        {{"--cli", "--address"}, Action::UsageError, "--address needs a value"},
        {{"--cli", "--address", "192.168.1.256"}, Action::UsageError, "dotted IPv4"},
        {{"--cli", "--address=192.168.1"}, Action::UsageError, "dotted IPv4"},
        {{"--cli", "--address", " 10.0.0.1"}, Action::UsageError, "dotted IPv4"},
        {{"--cli", "--address", "0x0A.0.0.1"}, Action::UsageError, "dotted IPv4"},
        {{"--cli", "--address", "router"}, Action::UsageError, "dotted IPv4"},
        {{"--cli", "--address", "1.1.1.1", "--address", "1.1.1.1"}, Action::UsageError, "given twice"},
        {{"--cli", "--log", "--yes"}, Action::UsageError, "--log needs a value"},
        {{"--cli", "--log="}, Action::UsageError, "--log needs a file name"},
        {{"--cli", "--log", std::string_view("a\0b", 3)}, Action::UsageError, "--log needs a file name"},
        // Passwords: refused in every spelling, the value neither used nor shown.
        {{"--cli", "--password", "hunter2"}, Action::UsageError, "--password: a password is never taken"},
        {{"--cli", "--password=hunter2"}, Action::UsageError, "--password: a password is never taken"},
        {{"--cli", "--passwordhunter2"}, Action::UsageError, "--password: a password is never taken"},
        {{"--cli", "--passwd=hunter2"}, Action::UsageError, "--passwd: a password is never taken"},
        {{"--cli", "-phunter2"}, Action::UsageError, "-p: a password is never taken"},
        {{"--cli", "--password-stdin=hunter2"}, Action::UsageError, "--password-stdin takes no value"},
        {{"--cli", "--password-stdin", "hunter2"}, Action::UsageError, "unexpected argument number 3"},
    };
    for (const ParseCase& c : cases) {
        std::string shown;
        for (std::string_view arg : c.args) {
            shown += " [" + std::string(arg) + "]";
        }
        SCOPED_TRACE(shown);
        const CommandLine result = ParseCommandLine(c.args);
        EXPECT_EQ(result.action, c.action);
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
        EXPECT_EQ(result.error.empty(), c.error.empty()) << result.error;
        EXPECT_EQ(result.error.find("hunter2"), std::string::npos);
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
    }
}

TEST(ParseCommandLine, CliOptionsAreKept) {
    const char* argv[] = {"prog",  "--cli", "--json",         "--address=010.0.0.001",
                          "--yes", "--log", "/tmp/fwu a.log", "--password-stdin"};
    const CommandLine result = ParseCommandLine(8, argv);
    ASSERT_EQ(result.action, Action::RunCli) << result.error;
    EXPECT_EQ(result.cli.address, "10.0.0.1");
    EXPECT_TRUE(result.cli.passwordFromStdin && result.cli.assumeYes && result.cli.json);
    EXPECT_EQ(result.cli.logPath, "/tmp/fwu a.log");
    EXPECT_FALSE(result.cli.checkOnly || result.cli.skipCurrent);
    const char* check[] = {"prog", "--cli", "--check"};
    EXPECT_TRUE(ParseCommandLine(3, check).cli.checkOnly);
    const char* skip[] = {"prog", "--skip-current", "--cli"};
    EXPECT_TRUE(ParseCommandLine(3, skip).cli.skipCurrent);

    const CommandLine plain = ParseCommandLine(2, argv);
    EXPECT_FALSE(plain.cli.address || plain.cli.logPath || plain.cli.passwordFromStdin ||
                 plain.cli.assumeYes);
}

TEST(UsageErrorText, IsTheErrorThenTheUsageLine) {
    EXPECT_EQ(UsageErrorText("unknown option --x").substr(0, 52),
              "firmware-upgrade-utility: unknown option --x\nUsage: ");
}

TEST(ReadPasswordLine, Table) {
    const std::string longest(188, 'k');
    struct Case {
        std::string input;
        bool ok;
        std::string password;
    };
    const std::vector<Case> cases{
        {"hunter2\nsecond line\n", true, "hunter2"}, {"hunter2\r\n", true, "hunter2"},
        {"no line feed", true, "no line feed"},      {"\n", true, ""},
        {longest + "\r\n", true, longest},           {longest + "k\n", false, ""},
        {longest + "kkkkkkkkkk", false, ""},         {"", false, ""},
        {std::string("a\0b\n", 4), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 20) + " (" + std::to_string(c.input.size()) + " bytes)");
        std::istringstream in(c.input);
        const PasswordLine line = ReadPasswordLine(in);
        EXPECT_EQ(line.ok, c.ok) << line.error;
        EXPECT_EQ(line.password, c.password);
        EXPECT_EQ(line.error.find('k'), std::string::npos) << "the error repeats the input";
        EXPECT_EQ(line.ok, line.error.empty());
    }
}

TEST(FormatImageInfo, IntactDamagedAndHostileTexts) {
    CarriedImage image;
    image.status = platform::PayloadStatus::Ok;
    image.info = {"NOV 27, 2006", "v2.00.22", "ZPR\x1b[2J", "NOV 27,2006", "fw.bin"};
    image.size = 3253248;
    image.sha256 = std::string(64, 'a');
    ImageInfoReport report = FormatImageInfo(image);
    EXPECT_EQ(report.exitCode, ExitCode::Success);
    EXPECT_EQ(report.text,
              "file name:        fw.bin\n"
              "model:            ZPR?[2J\n"
              "release date:     NOV 27,2006\n"
              "firmware date:    NOV 27, 2006\n"
              "firmware version: v2.00.22\n"
              "size:             3253248 bytes\n"
              "SHA-256:          " +
                  std::string(64, 'a') +
                  "\n"
                  "digest:           intact\n");
    EXPECT_EQ(FormatVersion("1.5.1.2", image),
              "firmware-upgrade-utility 1.5.1.2\ncarried firmware v2.00.22\n");

    image.status = platform::PayloadStatus::DigestMismatch;
    report = FormatImageInfo(image);
    EXPECT_EQ(report.exitCode, ExitCode::ImageDamaged);
    EXPECT_NE(report.text.find("size:             -\nSHA-256:          -\n"), std::string::npos);
    EXPECT_NE(report.text.find("digest:           damaged: the image's bytes do not match"),
              std::string::npos);
    EXPECT_EQ(report.text.find("v2.00.22"), std::string::npos) << "a damaged image's version is not shown";
}

}  // namespace
}  // namespace fwu::cli
