// The text labels a wizard page puts on the content panel (wizard/PageTexts.h) as skin labels: made
// together when the page is shown, removed together when it is left. Also the two titles of the face's
// header.
#pragma once

#include <QPointer>
#include <vector>

#include "wizard/PageTexts.h"

class QWidget;

namespace fwu {

class CSkinLabel;

class PageLabels {
public:
    // Creates and shows the labels as children of `window`, in the page text's colour and weight; while
    // the page changes (`suppressBackground`) they paint no background of their own.
    PageLabels(QWidget* window, const std::vector<PageLabelSpec>& labels, bool suppressBackground);
    ~PageLabels();
    PageLabels(const PageLabels&) = delete;
    PageLabels& operator=(const PageLabels&) = delete;

private:
    std::vector<QPointer<CSkinLabel>> labels;
};

// Sets up one of the two titles on the face's header (ModelTitleLabel, VersionTitleLabel), shown for the
// whole run.
void SetUpFaceTitle(CSkinLabel* label, const PageLabelSpec& title);

}  // namespace fwu
