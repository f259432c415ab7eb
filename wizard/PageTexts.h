// The texts a wizard page puts on the content panel, each with its place, control id and the name tests
// and the lab find it by: the welcome page's dates, the verify page's model, versions and address, the
// login page's status line, the progress page's status line and percent figure; and the two titles of the
// face's header, shown for the whole run. Every window makes its labels from these.
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

// The login page's places: the password field, octet field `index` (0 to 3, from the left) and the status
// line below them; the fonts' heights of the two kinds of field.
inline constexpr FaceBox kPasswordFieldBox = FaceBoxFromEdges(185, 285, 355, 310);
constexpr FaceBox OctetFieldBox(int index) {
    return FaceBoxFromEdges(185 + 45 * index, 238, 220 + 45 * index, 263);
}
inline constexpr int kPasswordFieldPixels = 19;
inline constexpr int kOctetFieldPixels = 17;
inline constexpr const char* kLoginStatusName = "loginStatus";
inline constexpr FaceBox kLoginStatusBox = FaceBoxFromEdges(35, 332, 355, 352);

// The progress page's status line and percent figure (one control id for both), each with the text it
// shows as an upload starts.
inline constexpr const char* kProgressStatusName = "progressStatus";
inline constexpr const char* kPercentFigureName = "percentFigure";
inline constexpr int kProgressLabelId = 4667;
inline constexpr FaceBox kProgressStatusBox = FaceBoxFromEdges(50, 273, 420, 310);
inline constexpr FaceBox kPercentFigureBox = FaceBoxFromEdges(200, 347, 260, 372);
PageLabelSpec ProgressStatusLabel();
PageLabelSpec PercentFigureLabel();

// The face's header: the model's title and the carried firmware's version.
PageLabelSpec ModelTitleLabel(const std::string& model);
PageLabelSpec VersionTitleLabel(const std::string& utilityVersion);

}  // namespace fwu
