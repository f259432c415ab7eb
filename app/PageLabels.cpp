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
        label->setGeometry(entry.rect);
        label->show();
        labels.emplace_back(label);
    }
}

PageLabels::~PageLabels() {
    for (QPointer<CSkinLabel>& label : labels) {
        delete label.data();
    }
}

void SetUpFaceTitle(CSkinLabel* label, const char* name, const QRect& rect, const std::string& text) {
    label->setObjectName(QLatin1String(name));
    label->SetTransparent();
    label->SetTextColor(kTitleColour);
    label->SetFontName(QStringLiteral("Tahoma"));
    label->SetFontSize(kTitleFontSize);
    label->SetBold(true);
    label->SetText(Latin1(text));
    label->setGeometry(rect);
    label->show();
}

std::vector<PageLabelSpec> WelcomePageLabels(const std::string& releaseDate,
                                             const std::string& firmwareDate) {
    return {{"releaseDateLabel", 4661, FaceRect(140, 255, 260, 272), releaseDate},
            {"firmwareDateLabel", 4660, FaceRect(140, 272, 260, 290), firmwareDate}};
}

std::vector<PageLabelSpec> VerifyPageLabels(const std::string& model, const std::string& routerVersion,
                                            const std::string& utilityVersion, const std::string& address) {
    return {{"modelLabel", 4667, FaceRect(190, 236, 360, 253), model},
            {"routerVersionLabel", 4668, FaceRect(192, 259, 360, 281), routerVersion},
            {"utilityVersionLabel", 4669, FaceRect(192, 283, 360, 300), utilityVersion},
            {"routerAddressLabel", 4670, FaceRect(190, 308, 360, 325), address}};
}

}  // namespace fwu
