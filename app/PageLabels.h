// The text labels a wizard page puts on the content panel (the welcome page's dates, the verify page's
// model, versions and address): made together when the page is shown, removed together when it is left.
// Also the two titles of the face's header.
#pragma once

#include <QPointer>
#include <QRect>
#include <string>
#include <vector>

class QWidget;

namespace fwu {

class CSkinLabel;

struct PageLabelSpec {
    const char* name;  // the object name tests and the lab find the label by
    int controlId;
    QRect rect;
    std::string text;  // in the program's code page
};

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

// Sets up one of the two titles on the face's header (model, firmware version), shown for the whole run.
void SetUpFaceTitle(CSkinLabel* label, const char* name, const QRect& rect, const std::string& text);

// The welcome page: release date and firmware date.
std::vector<PageLabelSpec> WelcomePageLabels(const std::string& releaseDate, const std::string& firmwareDate);

// The verify page: model, router version, our version and the router address.
std::vector<PageLabelSpec> VerifyPageLabels(const std::string& model, const std::string& routerVersion,
                                            const std::string& utilityVersion, const std::string& address);

}  // namespace fwu
