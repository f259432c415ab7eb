// CEditEx: an edit field with its own text colour, background colour and font, drawn without a frame
// (the boxes around the fields belong to the page picture).
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QString>

namespace fwu {

class CEditEx : public QLineEdit {
    Q_OBJECT

public:
    explicit CEditEx(QWidget* parent = nullptr);

    // Each answers the previous colour and repaints the field.
    QColor SetBackgroundColor(const QColor& colour);
    QColor SetTextColor(const QColor& colour);
    // Font of the given character height in pixels, normal weight, the given face (substituted by the
    // system when it has no such face).
    void SetEditFont(int heightPx, const QString& face);

    QColor BackgroundColor() const { return backgroundColor; }
    QColor TextColor() const { return textColor; }

signals:
    // The field has lost the keyboard focus (after its own focus-out handling).
    void FocusLost();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Stores a colour into `field` and the palette's role, repaints, and answers the previous colour.
    QColor ReplaceColour(QPalette::ColorRole role, QColor& field, const QColor& colour);

    QColor backgroundColor;
    QColor textColor;
};

}  // namespace fwu
