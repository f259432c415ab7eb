// The controls of the login page: the password field, the four octet fields of the router address with
// their key filter, and the status line.
#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/FaceRect.h"
#include "wizard/PageTexts.h"

class QWidget;

namespace fwu {

class CEditEx;
class CRangeEdit;
class CSkinLabel;
class OctetKeyFilter;

inline constexpr QRect kPasswordRect = QtRect(kPasswordFieldBox);
inline constexpr QRect kLoginStatusRect = QtRect(kLoginStatusBox);
// Octet field i (0..3), from the left.
QRect OctetFieldRect(int index);

// Creates the six controls as children of `window`, in tab order (password, octets 1 to 4), the password
// selected and focused; destroying the object destroys them. Texts are in the system's 8-bit encoding.
// The password field refuses input beyond `maxPasswordBytes` bytes (what the router credential can
// carry); an octet field left empty reads "0" once it loses the focus.
class LoginFields {
public:
    // `beep` sounds when an octet field refuses a change (the system beep when empty).
    LoginFields(QWidget* window, const std::string& password, const std::array<std::string, 4>& octetText,
                std::size_t maxPasswordBytes, std::function<void()> beep = {});
    ~LoginFields();
    LoginFields(const LoginFields&) = delete;
    LoginFields& operator=(const LoginFields&) = delete;

    std::string PasswordText() const;
    std::array<std::string, 4> OctetTexts() const;

    CEditEx* PasswordField() const;
    CRangeEdit* OctetField(int index) const;
    CSkinLabel* StatusLabel() const;

private:
    QPointer<CEditEx> passwordField;
    std::array<QPointer<CRangeEdit>, 4> octetFields;
    QPointer<CSkinLabel> statusLabel;
    std::unique_ptr<OctetKeyFilter> keyFilter;
    std::vector<QMetaObject::Connection> connections;
};

}  // namespace fwu
