// The login page's controls.
#include "ui/LoginFields.h"

#include <QApplication>
#include <QValidator>
#include <QWidget>

#include "ui/EditEx.h"
#include "ui/Latin1.h"
#include "ui/OctetKeyFilter.h"
#include "ui/RangeEdit.h"
#include "ui/SkinLabel.h"
#include "wizard/ControlNames.h"

namespace fwu {
namespace {

const QColor kFieldText(QtRgb(colour::kFieldText));
const QColor kFieldBackground(QtRgb(colour::kFieldBackground));

// Refuses a password whose bytes would not fit the router credential.
class PasswordByteLimit : public QValidator {
public:
    PasswordByteLimit(std::size_t maxBytes, QObject* parent) : QValidator(parent), maxBytes(maxBytes) {}
    State validate(QString& input, int&) const override {
        return static_cast<std::size_t>(input.toLocal8Bit().size()) <= maxBytes ? Acceptable : Invalid;
    }

private:
    std::size_t maxBytes;
};

std::string ToBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString FromBytes(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QRect OctetFieldRect(int index) {
    return QtRect(OctetFieldBox(index));
}

LoginFields::LoginFields(QWidget* window, const std::string& password,
                         const std::array<std::string, 4>& octetText, std::size_t maxPasswordBytes,
                         std::function<void()> beep) {
    if (!beep) {
        beep = [] { QApplication::beep(); };
    }

    passwordField = new CEditEx(window);
    passwordField->setObjectName(QLatin1String(kPasswordFieldObject));
    passwordField->setGeometry(kPasswordRect);
    passwordField->setEchoMode(QLineEdit::Password);
    passwordField->setMaxLength(static_cast<int>(maxPasswordBytes));
    passwordField->setValidator(new PasswordByteLimit(maxPasswordBytes, passwordField));
    passwordField->SetBackgroundColor(kFieldBackground);
    passwordField->SetTextColor(kFieldText);
    passwordField->SetEditFont(kPasswordFieldPixels, QLatin1String(kFieldFace));
    passwordField->setText(FromBytes(password));
    // The whole text selected with the caret at its start, so the start of the password is in view.
    const int length = static_cast<int>(passwordField->text().size());
    passwordField->setSelection(length, -length);
    passwordField->show();
    passwordField->setFocus(Qt::OtherFocusReason);

    std::array<QLineEdit*, 4> edits{};
    for (std::size_t i = 0; i < octetFields.size(); ++i) {
        CRangeEdit* field = new CRangeEdit(window);
        field->setObjectName(QString::fromStdString(OctetFieldObject(static_cast<int>(i))));
        field->setGeometry(OctetFieldRect(static_cast<int>(i)));
        field->setAlignment(Qt::AlignCenter);
        field->SetBackgroundColor(kFieldBackground);
        field->SetTextColor(kFieldText);
        field->SetEditFont(kOctetFieldPixels, QLatin1String(kFieldFace));
        field->SetRange(0, 255);
        field->SetBeep(beep);
        field->setText(FromBytes(octetText[i]));
        field->show();
        // An octet left empty reads "0" once the focus leaves it.
        connections.push_back(QObject::connect(field, &CEditEx::FocusLost, field, [field] {
            if (field->text().isEmpty()) {
                field->setText(QStringLiteral("0"));
                field->selectAll();
            }
        }));
        octetFields[i] = field;
        edits[i] = field;
    }
    keyFilter = std::make_unique<OctetKeyFilter>(edits);

    statusLabel = new CSkinLabel(window);
    const PageLabelSpec status = LoginStatusLabel();
    statusLabel->setObjectName(QLatin1String(status.name));
    statusLabel->setGeometry(QtRect(status.box));
    statusLabel->SetText(Latin1(status.text));
    ApplyLabelLook(*statusLabel, status.look);
    statusLabel->show();
}

LoginFields::~LoginFields() {
    for (const QMetaObject::Connection& connection : connections) {
        QObject::disconnect(connection);
    }
    keyFilter.reset();
    delete statusLabel.data();
    for (QPointer<CRangeEdit>& field : octetFields) {
        delete field.data();
    }
    delete passwordField.data();
}

std::string LoginFields::PasswordText() const {
    return passwordField ? ToBytes(passwordField->text()) : std::string();
}

std::array<std::string, 4> LoginFields::OctetTexts() const {
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < octetFields.size(); ++i) {
        if (octetFields[i]) {
            texts[i] = ToBytes(octetFields[i]->text());
        }
    }
    return texts;
}

CEditEx* LoginFields::PasswordField() const {
    return passwordField;
}

CSkinLabel* LoginFields::StatusLabel() const {
    return statusLabel;
}

CRangeEdit* LoginFields::OctetField(int index) const {
    if (index < 0 || index >= static_cast<int>(octetFields.size())) {
        return nullptr;
    }
    return octetFields[static_cast<std::size_t>(index)];
}

}  // namespace fwu
