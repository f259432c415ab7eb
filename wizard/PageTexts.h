// The texts a wizard page puts on the content panel, each with its place, control id and the name tests
// and the lab find it by: the welcome page's dates, the verify page's model, versions and address; and
// the two titles of the face's header, shown for the whole run. Every window makes its labels from these.
#pragma once

#include <string>
#include <vector>

#include "wizard/FaceBox.h"

namespace fwu {

struct PageLabelSpec {
    const char* name;  // the object name tests and the lab find the label by
    int controlId;
    FaceBox box;
    std::string text;  // in the program's code page
};

// The welcome page: release date and firmware date.
std::vector<PageLabelSpec> WelcomePageLabels(const std::string& releaseDate, const std::string& firmwareDate);

// The verify page: model, router version, our version and the router address.
std::vector<PageLabelSpec> VerifyPageLabels(const std::string& model, const std::string& routerVersion,
                                            const std::string& utilityVersion, const std::string& address);

// The face's header: the model's title and the carried firmware's version.
PageLabelSpec ModelTitleLabel(const std::string& model);
PageLabelSpec VersionTitleLabel(const std::string& utilityVersion);

}  // namespace fwu
