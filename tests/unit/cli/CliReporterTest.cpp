// The headless upgrade's progress lines, fed with events and their times: the redrawn terminal line, the
// plain line per tenth, and JSON lines that a script can parse whatever the cause text holds.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "cli/CliReporter.h"

namespace fwu::cli {
namespace {

using std::chrono::milliseconds;

// One upgrade: check, 3,000 bytes sent in three seconds with uneven steps, the flash wait, the verdict.
std::string OneUpgrade(ReportStyle style, ExitCode verdict, std::string_view cause) {
    std::ostringstream out;
    CliReporter reporter(out, style);
    reporter.OnPhase(Phase::Checking, milliseconds(0));
    reporter.OnPhase(Phase::Sending, milliseconds(500));
    reporter.OnProgress(5, 150, milliseconds(650));
    reporter.OnProgress(37, 1110, milliseconds(1500));
    reporter.OnProgress(100, 3000, milliseconds(3500));
    reporter.OnPhase(Phase::WritingFlash, milliseconds(3500));
    reporter.OnProgress(100, 3000, milliseconds(9000));
    reporter.OnPhase(Phase::Confirming, milliseconds(9000));
    reporter.OnVerdict(verdict, cause);
    return out.str();
}

TEST(CliReporter, TerminalRedrawsOneLinePerPhase) {
    EXPECT_EQ(OneUpgrade(ReportStyle::Terminal, ExitCode::Success, ""),
              "\rchecking...\n"
              "\rsending       [..............................]   0%  0 bytes"
              "\rsending       [#.............................]   5%  150 bytes  1.0 kB/s"
              "\rsending       [###########...................]  37%  1110 bytes  1.1 kB/s"
              "\rsending       [##############################] 100%  3000 bytes  1.0 kB/s\n"
              "\rwriting flash [..............................]   0%  3000 bytes"
              "\rwriting flash [##############################] 100%  3000 bytes\n"
              "\rconfirming...\n"
              "upgraded\n");
}

TEST(CliReporter, ShorterRedrawWipesTheRest) {
    std::ostringstream out;
    CliReporter reporter(out, ReportStyle::Terminal);
    reporter.OnPhase(Phase::Sending, milliseconds(0));
    reporter.OnProgress(50, 123456, milliseconds(1));  // 123 MB/s: a long rate text
    reporter.OnProgress(50, 123456, milliseconds(0));  // a clock that did not move: no rate at all
    const std::string text = out.str();
    const std::size_t last = text.rfind('\r');
    const std::size_t previous = text.rfind('\r', last - 1);
    EXPECT_EQ(text.size() - last, last - previous) << "the last redraw is as long as the one before";
    EXPECT_EQ(text.back(), ' ');
}

TEST(CliReporter, PlainWritesPhasesAndEachTenthOnce) {
    EXPECT_EQ(OneUpgrade(ReportStyle::Plain, ExitCode::UpgradeFailed, "Upgrade failed!\nPlease retry."),
              "checking\n"
              "sending\n"
              "sending 37%  1110 bytes  1.1 kB/s\n"
              "sending 100%  3000 bytes  1.0 kB/s\n"
              "writing flash\n"
              "writing flash 100%  3000 bytes\n"
              "confirming\n"
              "upgrade failed: Upgrade failed! Please retry.\n");
}

TEST(CliReporter, JsonLinesParseWithEveryField) {
    const std::string cause = "quote \" backslash \\ line\nbreak \x01 \xc3\xa9";
    std::istringstream lines(OneUpgrade(ReportStyle::Json, ExitCode::RouterCheckFailed, cause));
    std::vector<QJsonObject> objects;
    for (std::string line; std::getline(lines, line);) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        objects.push_back(document.object());
    }
    ASSERT_EQ(objects.size(), 9u);
    EXPECT_EQ(objects[0]["phase"].toString(), "checking");
    EXPECT_EQ(objects[3]["phase"].toString(), "sending");
    EXPECT_EQ(objects[3]["percent"].toInt(), 37);
    EXPECT_EQ(objects[3]["bytes"].toInteger(), 1110);
    EXPECT_EQ(objects[3]["rate"].toInteger(), 1110);
    EXPECT_EQ(objects[6]["phase"].toString(), "writing-flash");
    EXPECT_FALSE(objects[6].contains("rate"));
    EXPECT_FALSE(objects[7].contains("verdict"));
    EXPECT_EQ(objects[8]["verdict"].toString(), "router-check-failed");
    EXPECT_EQ(objects[8]["exit"].toInt(), 3);
    EXPECT_EQ(objects[8]["cause"].toString().toStdString(), cause);
}

TEST(FormatRate, Units) {
    EXPECT_EQ(FormatRate(999), "999 B/s");
    EXPECT_EQ(FormatRate(245123), "245.1 kB/s");
    EXPECT_EQ(FormatRate(1250000), "1.25 MB/s");
    EXPECT_EQ(ProgressBar(-5, 4), "[....]");
    EXPECT_EQ(ProgressBar(250, 4), "[####]");
}

}  // namespace
}  // namespace fwu::cli
