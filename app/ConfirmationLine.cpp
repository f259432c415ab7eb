#include "app/ConfirmationLine.h"

#include "ui/Latin1.h"
#include "ui/SkinLabel.h"

namespace fwu {

ConfirmationLine::ConfirmationLine(QWidget* window, bool suppressBackground) : label(new CSkinLabel(window)) {
    const PageLabelSpec line = ConfirmationLabel();
    label->setObjectName(QLatin1String(line.name));
    ApplyLabelLook(*label, line.look);
    label->SetSuppressBackground(suppressBackground);
    label->setGeometry(QtRect(line.box));
    label->SetText(Latin1(line.text));
    label->show();
}

ConfirmationLine::~ConfirmationLine() {
    delete label.data();
}

void ConfirmationLine::Clear() {
    if (label) {
        label->SetText(QString());
    }
}

void ConfirmationLine::Show(ConfirmationState state, const std::string& version) {
    if (!label) {
        return;
    }
    const ConfirmationShown shown = ConfirmationLineFor(state, version);
    label->SetTextColor(QColor(QtRgb(shown.colour)));
    label->SetText(Latin1(shown.text));
}

}  // namespace fwu
