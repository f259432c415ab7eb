// The labels of the welcome and verify pages.
#include "app/PageLabels.h"

#include <QString>

#include "ui/FaceRect.h"
#include "ui/Latin1.h"
#include "ui/SkinLabel.h"

namespace fwu {

PageLabels::PageLabels(QWidget* window, const std::vector<PageLabelSpec>& entries, bool suppressBackground) {
    for (const PageLabelSpec& entry : entries) {
        auto* label = new CSkinLabel(window);
        label->setObjectName(QLatin1String(entry.name));
        label->setProperty("controlId", entry.controlId);
        ApplyLabelLook(*label, entry.look);
        label->SetSuppressBackground(suppressBackground);
        label->SetText(Latin1(entry.text));
        label->setGeometry(QtRect(entry.box));
        label->show();
        labels.emplace_back(label);
    }
}

PageLabels::~PageLabels() {
    for (QPointer<CSkinLabel>& label : labels) {
        delete label.data();
    }
}

void SetUpFaceTitle(CSkinLabel* label, const PageLabelSpec& title) {
    label->setObjectName(QLatin1String(title.name));
    ApplyLabelLook(*label, title.look);
    label->SetText(Latin1(title.text));
    label->setGeometry(QtRect(title.box));
    label->show();
}

}  // namespace fwu
