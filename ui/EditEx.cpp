// CEditEx: colours through the field's palette, font by pixel height.
#include "ui/EditEx.h"

#include <QFont>
#include <QPalette>

#include "ui/FaceFonts.h"

namespace fwu {

CEditEx::CEditEx(QWidget* parent)
    : QLineEdit(parent),
      backgroundColor(palette().color(QPalette::Base)),
      textColor(palette().color(QPalette::Text)) {
    setFrame(false);
}

QColor CEditEx::SetBackgroundColor(const QColor& colour) {
    return ReplaceColour(QPalette::Base, backgroundColor, colour);
}

QColor CEditEx::SetTextColor(const QColor& colour) {
    return ReplaceColour(QPalette::Text, textColor, colour);
}

QColor CEditEx::ReplaceColour(QPalette::ColorRole role, QColor& field, const QColor& colour) {
    const QColor previous = field;
    field = colour;
    QPalette colours = palette();
    colours.setColor(role, colour);
    setPalette(colours);
    update();
    return previous;
}

void CEditEx::SetEditFont(int heightPx, const QString& face) {
    RegisterFaceSubstitutes();
    QFont editFont(face);
    if (heightPx > 0) {
        editFont.setPixelSize(heightPx);
    }
    editFont.setWeight(QFont::Normal);
    setFont(editFont);
}

void CEditEx::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit FocusLost();
}

}  // namespace fwu
