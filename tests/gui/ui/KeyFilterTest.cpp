// The octet key filter on the real four fields of the login page: key sequences typed through the
// window system into whichever field has the focus.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "FaceWindow.h"
#include "ui/LoginFields.h"
#include "ui/RangeEdit.h"

using namespace fwu;

namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

// "1", "KP1", "KP.", ".", "SPACE", "BS", "ENTER", "ESC", "HOME", "END", "UP", "DOWN", "LEFT", "RIGHT",
// "TAB", "CTRL", "SHIFT", or a capital letter.
Key ParseKey(const QString& token) {
    static const QHash<QString, Qt::Key> named{
        {"SPACE", Qt::Key_Space}, {"BS", Qt::Key_Backspace}, {"ENTER", Qt::Key_Return},
        {"ESC", Qt::Key_Escape},  {"HOME", Qt::Key_Home},    {"END", Qt::Key_End},
        {"UP", Qt::Key_Up},       {"DOWN", Qt::Key_Down},    {"LEFT", Qt::Key_Left},
        {"RIGHT", Qt::Key_Right}, {"TAB", Qt::Key_Tab},      {"CTRL", Qt::Key_Control},
        {"SHIFT", Qt::Key_Shift}, {".", Qt::Key_Period}};
    if (named.contains(token)) {
        return {named.value(token), Qt::NoModifier};
    }
    if (token == "KP.") {
        return {Qt::Key_Period, Qt::KeypadModifier};
    }
    if (token.startsWith("KP")) {
        return {static_cast<Qt::Key>(Qt::Key_0 + token.mid(2).toInt()), Qt::KeypadModifier};
    }
    const QChar c = token.at(0);
    if (c.isDigit()) {
        return {static_cast<Qt::Key>(Qt::Key_0 + c.digitValue()), Qt::NoModifier};
    }
    return {static_cast<Qt::Key>(Qt::Key_A + (c.unicode() - 'A')), Qt::NoModifier};
}

// Counts the key presses that reach the window itself (a key the fields let through to the dialog).
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            ++presses;
        }
        return false;
    }
};

}  // namespace

class KeyFilterTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typedSequence_data();
    void typedSequence();
    void swallowedKeysReachNothing_data();
    void swallowedKeysReachNothing();

private:
    int FocusedField() const;
    void Prepare(int field, const QStringList& texts, int selStart, int selEnd);

    std::unique_ptr<test::FaceWindow> window;
    std::unique_ptr<LoginFields> fields;
    KeyCounter windowKeys;
    int beeps = 0;
};

void KeyFilterTest::init() {
    beeps = 0;
    windowKeys.presses = 0;
    window = std::make_unique<test::FaceWindow>(-1);
    window->installEventFilter(&windowKeys);
    fields = std::make_unique<LoginFields>(window.get(), "rodel", std::array<std::string, 4>{}, 188,
                                           [this] { ++beeps; });
    QVERIFY(test::ShowActive(*window));
}

void KeyFilterTest::cleanup() {
    fields.reset();
    window.reset();
}

int KeyFilterTest::FocusedField() const {
    for (int i = 0; i < 4; ++i) {
        if (fields->OctetField(i)->hasFocus()) {
            return i;
        }
    }
    return -1;
}

void KeyFilterTest::Prepare(int field, const QStringList& texts, int selStart, int selEnd) {
    for (int i = 0; i < 4; ++i) {
        fields->OctetField(i)->setText(texts.at(i));
    }
    CRangeEdit* start = fields->OctetField(field);
    start->setFocus(Qt::OtherFocusReason);
    if (selStart == selEnd) {
        start->setCursorPosition(selStart);
    } else {
        start->setSelection(selStart, selEnd - selStart);
    }
    beeps = 0;
    windowKeys.presses = 0;
}

void KeyFilterTest::typedSequence_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("expectTexts");
    QTest::addColumn<int>("expectField");
    QTest::addColumn<int>("expectSelStart");
    QTest::addColumn<int>("expectSelEnd");
    QTest::addColumn<int>("expectBeeps");

    const QStringList empty{"", "", "", ""};
    const QStringList full{"192", "168", "1", "1"};

    // Advancing: a complete octet moves the focus on and selects the next field's text.
    QTest::newRow("192 advances, field 2 selected")
        << 0 << QStringList{"", "168", "1", "1"} << 0 << 0 << "1 9 2" << QStringList{"192", "168", "1", "1"}
        << 1 << 0 << 3 << 0;
    QTest::newRow("next digit replaces field 2")
        << 0 << QStringList{"", "168", "1", "1"} << 0 << 0 << "1 9 2 5" << QStringList{"192", "5", "1", "1"}
        << 1 << 1 << 1 << 0;
    QTest::newRow("keypad digits advance") << 0 << QStringList{"", "168", "1", "1"} << 0 << 0 << "KP1 KP9 KP2"
                                           << QStringList{"192", "168", "1", "1"} << 1 << 0 << 3 << 0;
    QTest::newRow("selected last digit replaced, then advance")
        << 0 << full << 2 << 3 << "5" << QStringList{"195", "168", "1", "1"} << 1 << 0 << 3 << 0;
    QTest::newRow("256 in field 1: 25, beep, focus moved")
        << 0 << empty << 0 << 0 << "2 5 6" << QStringList{"25", "", "", ""} << 1 << 0 << 0 << 1;
    QTest::newRow("256 in field 4: 25, beep, focus stays")
        << 3 << empty << 0 << 0 << "2 5 6" << QStringList{"", "", "", "25"} << 3 << 2 << 2 << 1;
    QTest::newRow("fourth digit in field 4 refused")
        << 3 << full << 1 << 1 << "2 9 9" << QStringList{"192", "168", "1", "129"} << 3 << 3 << 3 << 1;
    // Zeros.
    QTest::newRow("digit after lone zero replaces it") << 0 << QStringList{"0", "", "", ""} << 1 << 1 << "7"
                                                       << QStringList{"7", "", "", ""} << 0 << 1 << 1 << 0;
    QTest::newRow("second zero into zero does nothing")
        << 1 << QStringList{"1", "0", "", ""} << 1 << 1 << "0 0" << QStringList{"1", "0", "", ""} << 1 << 1
        << 1 << 0;
    QTest::newRow("zero in front of 12 does nothing")
        << 2 << QStringList{"", "", "12", ""} << 0 << 0 << "0 KP0" << QStringList{"", "", "12", ""} << 2 << 0
        << 0 << 0;
    QTest::newRow("zero after digits is typed") << 2 << QStringList{"", "", "1", ""} << 1 << 1 << "0"
                                                << QStringList{"", "", "10", ""} << 2 << 2 << 2 << 0;
    // Backspace across fields.
    QTest::newRow("backspace at start of field 3 continues in field 2")
        << 2 << full << 0 << 0 << "BS" << QStringList{"192", "16", "1", "1"} << 1 << 2 << 2 << 0;
    QTest::newRow("second backspace deletes in field 2")
        << 2 << full << 0 << 0 << "BS BS" << QStringList{"192", "1", "1", "1"} << 1 << 1 << 1 << 0;
    QTest::newRow("backspace at start of field 1 does nothing")
        << 0 << full << 0 << 0 << "BS" << full << 0 << 0 << 0 << 0;
    QTest::newRow("backspace inside field 2 deletes there")
        << 1 << full << 2 << 2 << "BS" << QStringList{"192", "18", "1", "1"} << 1 << 1 << 1 << 0;
    // Moving on and back.
    QTest::newRow("space moves on and selects") << 0 << full << 3 << 3 << "SPACE" << full << 1 << 0 << 3 << 0;
    QTest::newRow("keypad decimal moves on and selects")
        << 1 << full << 3 << 3 << "KP." << full << 2 << 0 << 1 << 0;
    QTest::newRow("space in field 4 does nothing")
        << 3 << full << 1 << 1 << "SPACE" << full << 3 << 1 << 1 << 0;
    QTest::newRow("space in an empty field stays")
        << 1 << QStringList{"192", "", "1", "1"} << 0 << 0 << "SPACE" << QStringList{"192", "", "1", "1"} << 1
        << 0 << 0 << 0;
    QTest::newRow("right at the end moves on") << 0 << full << 3 << 3 << "RIGHT" << full << 1 << 3 << 3 << 0;
    QTest::newRow("left at the start moves back")
        << 1 << full << 0 << 0 << "LEFT" << full << 0 << 3 << 3 << 0;
    QTest::newRow("right inside stays") << 0 << full << 1 << 1 << "RIGHT" << full << 0 << 2 << 2 << 0;
    QTest::newRow("tab passes to the next field") << 2 << full << 0 << 0 << "TAB" << full << 3 << 0 << 1 << 0;
    QTest::newRow("a whole address typed with dots as keypad decimals")
        << 0 << empty << 0 << 0 << "1 0 KP. 0 KP. 0 KP. 1" << QStringList{"10", "0", "0", "1"} << 3 << 1 << 1
        << 0;
}

void KeyFilterTest::typedSequence() {
    QFETCH(int, field);
    QFETCH(QStringList, texts);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, keys);
    QFETCH(QStringList, expectTexts);
    QFETCH(int, expectField);
    QFETCH(int, expectSelStart);
    QFETCH(int, expectSelEnd);
    QFETCH(int, expectBeeps);

    Prepare(field, texts, selStart, selEnd);
    for (const QString& token : keys.split(' ')) {
        const Key key = ParseKey(token);
        QTest::keyClick(static_cast<QWidget*>(nullptr), key.key, key.modifiers);
    }

    QStringList actual;
    for (int i = 0; i < 4; ++i) {
        actual << fields->OctetField(i)->text();
    }
    QCOMPARE(actual, expectTexts);
    QCOMPARE(FocusedField(), expectField);
    CRangeEdit* focused = fields->OctetField(expectField);
    const int s = focused->hasSelectedText() ? focused->selectionStart() : focused->cursorPosition();
    const int e = focused->hasSelectedText() ? focused->selectionEnd() : focused->cursorPosition();
    QCOMPARE(s, expectSelStart);
    QCOMPARE(e, expectSelEnd);
    QCOMPARE(beeps, expectBeeps);
    QCOMPARE(windowKeys.presses, 0);
}

void KeyFilterTest::swallowedKeysReachNothing_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("key");
    for (const char* key : {"A", "Z", "ENTER", "ESC", "HOME", "END", "UP", "DOWN", "CTRL", "."}) {
        QTest::addRow("field 1 %s", key) << 0 << QString(key);
        QTest::addRow("field 3 %s", key) << 2 << QString(key);
    }
    QTest::newRow("field 2 SHIFT") << 1 << "SHIFT";
}

void KeyFilterTest::swallowedKeysReachNothing() {
    QFETCH(int, field);
    QFETCH(QString, key);
    Prepare(field, {"12", "12", "12", "12"}, 1, 1);
    const Key parsed = ParseKey(key);
    QTest::keyClick(static_cast<QWidget*>(nullptr), parsed.key, parsed.modifiers);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(fields->OctetField(i)->text(), QString("12"));
    }
    QCOMPARE(FocusedField(), field);
    QCOMPARE(fields->OctetField(field)->cursorPosition(), 1);
    QVERIFY(!fields->OctetField(field)->hasSelectedText());
    QCOMPARE(windowKeys.presses, 0);
    QCOMPARE(beeps, 0);
}

QTEST_MAIN(KeyFilterTest)
#include "KeyFilterTest.moc"
