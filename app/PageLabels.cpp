// The labels of the welcome and verify pages.
#include "app/PageLabels.h"

#include <QString>

#include "ui/FaceRect.h"
#include "ui/Latin1.h"
#include "ui/SkinLabel.h"

namespace fwu {
namespace {

const QColor kPageTextColour(75, 75, 75);
constexpr int kPageFontSize = 15;
// A text too long for its label at the page's size (an unknown version's reason) is drawn smaller.
constexpr int kSmallestPageFontSize = 10;
const QColor kTitleColour(245, 245, 245);
constexpr int kTitleFontSize = 14;

}  // namespace

PageLabels::PageLabels(QWidget* window, const std::vector<PageLabelSpec>& entries, bool suppressBackground) {
    for (const PageLabelSpec& entry : entries) {
        auto* label = new CSkinLabel(window);
        label->setObjectName(QLatin1String(entry.name));
        label->setProperty("controlId", entry.controlId);
        label->SetTransparent();
        label->SetTextColor(kPageTextColour);
        label->SetFontSize(kPageFontSize);
        label->SetShrinkToFit(kSmallestPageFontSize);
        label->SetBold(true);
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
    label->SetTransparent();
    label->SetTextColor(kTitleColour);
    label->SetFontName(QStringLiteral("Tahoma"));
    label->SetFontSize(kTitleFontSize);
    label->SetBold(true);
    label->SetText(Latin1(title.text));
    label->setGeometry(QtRect(title.box));
    label->show();
}

}  // namespace fwu
