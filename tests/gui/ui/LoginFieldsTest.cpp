// The login page's controls: how they are set up, paste into an octet field, the kill-focus rule, the
// password's byte limit, their destruction, and a rendering of the filled page.
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <memory>

#include "FaceWindow.h"
#include "ui/EditEx.h"
#include "ui/LoginFields.h"
#include "ui/RangeEdit.h"
#include "ui/SkinLabel.h"

using namespace fwu;

namespace {
constexpr std::size_t kMaxPasswordBytes = 188;  // the limit handed to the fields, as the window does
}

class LoginFieldsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setUpAsThePageNeeds();
    void tabOrderIsCreationOrder();
    void pasteIntoOctetField_data();
    void pasteIntoOctetField();
    void emptyOctetReadsZeroWhenLeft();
    void passwordRefusesMoreThanTheCredentialHolds();
    void textsReadBack();
    void destroyingRemovesTheSixControls();
    void renderFilledPage();

private:
    std::unique_ptr<test::FaceWindow> window;
    std::unique_ptr<LoginFields> fields;
    int beeps = 0;
};

void LoginFieldsTest::init() {
    beeps = 0;
    window = std::make_unique<test::FaceWindow>(1);
    fields = std::make_unique<LoginFields>(window.get(), "rodel",
                                           std::array<std::string, 4>{"192", "168", "1", "1"},
                                           kMaxPasswordBytes, [this] { ++beeps; });
    QVERIFY(test::ShowActive(*window));
}

void LoginFieldsTest::cleanup() {
    fields.reset();
    window.reset();
}

void LoginFieldsTest::setUpAsThePageNeeds() {
    CEditEx* password = fields->PasswordField();
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->selectedText(), QString("rodel"));
    QCOMPARE(password->cursorPosition(), 0);  // the start of a long password stays in view
    QVERIFY(password->hasFocus());
    const QStringList octets{"192", "168", "1", "1"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(fields->OctetField(i)->text(), octets.at(i));
        QCOMPARE(fields->OctetField(i)->LastAcceptedValue(), octets.at(i).toInt());
    }
    QCOMPARE(fields->StatusLabel()->Text(), QString());
    QVERIFY(fields->StatusLabel()->LabelFont().bold());
}

void LoginFieldsTest::tabOrderIsCreationOrder() {
    QWidget* expected[] = {fields->OctetField(0), fields->OctetField(1), fields->OctetField(2),
                           fields->OctetField(3)};
    for (QWidget* next : expected) {
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void LoginFieldsTest::pasteIntoOctetField_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expectText");
    QTest::addColumn<int>("expectCaret");
    QTest::addColumn<int>("expectBeeps");
    QTest::newRow("007 leaves 7, caret at start") << "007"
                                                  << "7" << 0 << 0;
    QTest::newRow("000 leaves 0") << "000"
                                  << "0" << 0 << 0;
    QTest::newRow("letters cut off") << "12ab"
                                     << "12" << 0 << 0;
    QTest::newRow("a dotted address keeps its first octet") << "10.0.0.1"
                                                            << "10" << 0 << 0;
    QTest::newRow("only letters leave nothing") << "abc"
                                                << "" << 0 << 0;
    QTest::newRow("out of range goes back with a beep") << "300"
                                                        << "168" << 3 << 1;
}

void LoginFieldsTest::pasteIntoOctetField() {
    QFETCH(QString, pasted);
    QFETCH(QString, expectText);
    QFETCH(int, expectCaret);
    QFETCH(int, expectBeeps);
    CRangeEdit* octet = fields->OctetField(1);
    octet->setFocus(Qt::OtherFocusReason);
    octet->selectAll();
    QApplication::clipboard()->setText(pasted);
    octet->paste();
    QCOMPARE(octet->text(), expectText);
    QCOMPARE(octet->cursorPosition(), expectCaret);
    QCOMPARE(beeps, expectBeeps);
}

void LoginFieldsTest::emptyOctetReadsZeroWhenLeft() {
    CRangeEdit* third = fields->OctetField(2);
    third->setFocus(Qt::OtherFocusReason);
    third->clear();
    QCOMPARE(third->LastAcceptedValue(), -1);
    fields->OctetField(3)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(third->text(), QString("0"));
    QCOMPARE(third->selectedText(), QString("0"));
    // A field that is not empty keeps its text.
    fields->OctetField(2)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(fields->OctetField(3)->text(), QString("1"));
}

void LoginFieldsTest::passwordRefusesMoreThanTheCredentialHolds() {
    CEditEx* password = fields->PasswordField();
    password->clear();
    QTest::keyClicks(password, QString(190, 'x'));
    QCOMPARE(password->text().size(), static_cast<qsizetype>(kMaxPasswordBytes));
    // The limit counts bytes: 94 two-byte characters fill it and one more character is refused.
    password->clear();
    password->insert(QString(94, QChar(0xE9)));
    QCOMPARE(password->text().size(), 94);
    password->insert(QStringLiteral("x"));
    QCOMPARE(password->text().size(), 94);
    QCOMPARE(fields->PasswordText().size(), kMaxPasswordBytes);
}

void LoginFieldsTest::textsReadBack() {
    fields->PasswordField()->setText("secret");
    fields->OctetField(3)->setText("");
    QCOMPARE(fields->PasswordText(), std::string("secret"));
    QCOMPARE(fields->OctetTexts(), (std::array<std::string, 4>{"192", "168", "1", ""}));
}

void LoginFieldsTest::destroyingRemovesTheSixControls() {
    QCOMPARE(window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 6);
    fields.reset();
    QCOMPARE(window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 0);
}

void LoginFieldsTest::renderFilledPage() {
    fields->StatusLabel()->SetText("Check Router Information, Please Wait...");
    const QImage image = window->grab().toImage();
    QVERIFY(image.save(test::RenderPath("ui-login-fields.png")));
    // The frameless fields paint their own white over the picture's boxes, and the text is grey on it.
    QCOMPARE(image.pixelColor(OctetFieldRect(0).topLeft() + QPoint(1, 1)), QColor(Qt::white));
    bool greyText = false;
    for (int x = OctetFieldRect(0).left(); x < OctetFieldRect(0).right(); ++x) {
        greyText = greyText || image.pixelColor(x, OctetFieldRect(0).center().y()) != QColor(Qt::white);
    }
    QVERIFY(greyText);
}

QTEST_MAIN(LoginFieldsTest)
#include "LoginFieldsTest.moc"
