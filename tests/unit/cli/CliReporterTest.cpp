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
    reporter.OnStart(RunStart{"1.5.1.2", "WR-\x1b[2J54", "v2.00.22", "192.168.1.1"}, milliseconds(0));
    reporter.OnPhase(Phase::Checking, milliseconds(0));
    reporter.OnCheck(
        "v2.00.\xc2\x9b"
        "20",
        "upgrade", milliseconds(250));
    reporter.OnPhase(Phase::Sending, milliseconds(500));
    reporter.OnProgress(5, 150, milliseconds(650));
    reporter.OnProgress(37, 1110, milliseconds(1500));
    reporter.OnProgress(100, 3000, milliseconds(3500));
    reporter.OnPhase(Phase::WritingFlash, milliseconds(3500));
    reporter.OnProgress(100, 3000, milliseconds(9000));
    reporter.OnPhase(Phase::Confirming, milliseconds(9000));
    RunResult result;
    result.code = verdict;
    result.verdict = VerdictName(verdict);
    result.label = VerdictLabel(verdict);
    result.cause = std::string(cause);
    result.address = "192.168.1.1";
    result.carriedVersion = "v2.00.22";
    result.routerVersionBefore = "v2.00.20";
    reporter.OnResult(result, milliseconds(9250));
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
              "upgrade failed\n");
}

// Every line is one object with its event and time; texts from outside reach the lines printable only.
TEST(CliReporter, JsonLinesFollowTheirSchema) {
    const std::string cause = "quote \" backslash \\ line\nbreak \x01 \xc2\x9b[31m \xc3\xa9";
    std::istringstream lines(OneUpgrade(ReportStyle::Json, ExitCode::RouterCheckFailed, cause));
    std::vector<QJsonObject> objects;
    for (std::string line; std::getline(lines, line);) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        objects.push_back(document.object());
        EXPECT_TRUE(objects.back()["t"].isDouble()) << line;
    }
    struct Expected {
        const char* event;
        const char* phase;
        double t;
    };
    const Expected expected[] = {{"start", "", 0},
                                 {"phase", "checking", 0},
                                 {"check", "", 0.25},
                                 {"phase", "sending", 0.5},
                                 {"progress", "sending", 0.65},
                                 {"progress", "sending", 1.5},
                                 {"progress", "sending", 3.5},
                                 {"phase", "writing-flash", 3.5},
                                 {"progress", "writing-flash", 9},
                                 {"phase", "confirming", 9},
                                 {"result", "", 9.25}};
    ASSERT_EQ(objects.size(), std::size(expected));
    for (std::size_t i = 0; i < objects.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(objects[i]["event"].toString(), expected[i].event);
        EXPECT_EQ(objects[i]["phase"].toString(), expected[i].phase);
        EXPECT_DOUBLE_EQ(objects[i]["t"].toDouble(), expected[i].t);
    }
    EXPECT_EQ(objects[0]["schema"].toInt(), 1);
    EXPECT_EQ(objects[0]["program_version"].toString(), "1.5.1.2");
    EXPECT_EQ(objects[0]["model"].toString(), "WR-?[2J54");
    EXPECT_EQ(objects[2]["router_version"].toString(), "v2.00.?20");
    EXPECT_EQ(objects[2]["action"].toString(), "upgrade");
    EXPECT_EQ(objects[5]["percent"].toInt(), 37);
    EXPECT_EQ(objects[5]["bytes"].toInteger(), 1110);
    const QJsonObject& last = objects.back();
    EXPECT_EQ(last["verdict"].toString(), "router-check-failed");
    EXPECT_EQ(last["exit"].toInt(), 3);
    EXPECT_EQ(last["address"].toString(), "192.168.1.1");
    EXPECT_EQ(last["router_version_before"].toString(), "v2.00.20");
    EXPECT_EQ(last["carried_version"].toString(), "v2.00.22");
    EXPECT_TRUE(last["router_version_after"].isNull());
    EXPECT_FALSE(last.contains("action"));
    EXPECT_EQ(last["cause"].toString().toStdString(), "quote \" backslash \\ line break ? ?[31m \xc3\xa9");
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
