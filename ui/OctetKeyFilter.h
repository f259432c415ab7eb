// The octet fields' key rules (wizard/OctetKeys.h) applied to the four Qt fields of the login page: a Qt
// key press turned into its virtual-key code, decided, and the decision carried out on the fields.
#pragma once

#include <QObject>
#include <QPointer>
#include <array>

#include "wizard/OctetKeys.h"

class QLineEdit;

namespace fwu {

// The virtual-key code of a Qt key press; 0 (swallowed) for keys the filter does not know.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

// Event filter installed on the four octet fields (in order): swallows what the decision swallows,
// moves the focus and changes the texts as it says. A swallowed key reaches neither the field nor the
// window. Key releases and other events pass untouched.
class OctetKeyFilter : public QObject {
    Q_OBJECT

public:
    OctetKeyFilter(const std::array<QLineEdit*, 4>& fields, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int FieldIndex(const QObject* object) const;
    void Apply(int field, const OctetKeyDecision& decision);

    std::array<QPointer<QLineEdit>, 4> fields;
    bool delivering = false;
};

}  // namespace fwu
