// The command line's own JSON writer against the lines Qt's writer made before it: the same bytes for
// awkward texts (quotes, backslash, every control byte, DEL, non-ASCII, broken UTF-8 made whole), for the
// times of "t", and for whole objects whose keys arrive in any order.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "cli/JsonLine.h"

namespace fwu::cli {
namespace {

std::string QtLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(JsonLine, TextsAsQtWroteThem) {
    std::string controls;
    for (int c = 0; c < 0x20; ++c) {
        controls.push_back(static_cast<char>(c));
    }
    const std::string_view texts[] = {
        "",
        "plain v2.00.22",
        "quote \" backslash \\ slash /",
        std::string_view(controls),
        "DEL \x7f and ESC \x1b[2J",
        "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xef\xbf\xbf",  // 2, 3 and 4 bytes, a noncharacter
        "U+2028 \xe2\x80\xa8 U+2029 \xe2\x80\xa9",
        "lone \x80 byte",
        "cut \xe2\x82",
        "overlong \xc0\xaf and surrogate \xed\xa0\x80 and too high \xf4\x90\x80\x80",
    };
    for (const std::string_view text : texts) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        QJsonObject object;
        object.insert(QStringLiteral("cause"), Utf8(text));
        JsonLine line;
        line.Text("cause", text);
        EXPECT_EQ(line.Compact(), QtLine(object));
    }
}

TEST(JsonLine, SecondsAsQtWroteThem) {
    const long long times[] = {0,    1,      10,      100,       250,        999,  1000, 1001,
                               9250, 60'000, 123'456, 3'599'999, 86'400'123, -500, -1};
    for (const long long ms : times) {
        SCOPED_TRACE(ms);
        QJsonObject object;
        object.insert(QStringLiteral("t"), static_cast<double>(ms) / 1000.0);
        JsonLine line;
        line.Seconds("t", std::chrono::milliseconds(ms));
        EXPECT_EQ(line.Compact(), QtLine(object));
    }
}

// A result line: keys in another order than written, a replaced value, null, false, numbers.
TEST(JsonLine, ObjectsAsQtWroteThem) {
    QJsonObject object;
    JsonLine line;
    object.insert(QStringLiteral("exit"), 143);
    line.Number("exit", 143);
    object.insert(QStringLiteral("verdict"), QStringLiteral("upgraded"));
    line.Text("verdict", "upgraded");
    object.insert(QStringLiteral("verdict"), QStringLiteral("stopped"));
    line.Text("verdict", "stopped");
    object.insert(QStringLiteral("router_version_before"), QJsonValue(QJsonValue::Null));
    line.Null("router_version_before");
    object.insert(QStringLiteral("router_version_after"), QStringLiteral("v2.00.22"));
    line.Text("router_version_after", "v2.00.22");
    object.insert(QStringLiteral("image_sent"), false);
    line.Bool("image_sent", false);
    object.insert(QStringLiteral("bytes"), static_cast<qint64>(9'007'199'254'740'993));
    line.Number("bytes", 9'007'199'254'740'993);
    object.insert(QStringLiteral("carried_version"), QStringLiteral("v2"));
    line.Text("carried_version", "v2");
    object.insert(QStringLiteral("cause"), QString());
    line.Text("cause", "");
    object.insert(QStringLiteral("event"), QStringLiteral("result"));
    line.Text("event", "result");
    EXPECT_EQ(line.Compact(), QtLine(object));
    EXPECT_EQ(JsonLine().Compact(), "{}");
}

}  // namespace
}  // namespace fwu::cli
