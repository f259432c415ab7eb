// The texts a wizard page puts on the face, each with its place, control id, look and the name tests and
// the lab find it by: the welcome page's dates, the verify page's model, versions and address, the login
// page's status line, the progress page's status line and percent figure, the success page's line about
// the router after its restart; and the two titles of the face's header, shown for the whole run. Every
// window makes its labels from these, and takes the face's colours from here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "upgrade/ConfirmationWatch.h"
#include "wizard/FaceBox.h"

namespace fwu {

namespace colour {
inline constexpr FaceColour kPageText{75, 75, 75};
inline constexpr FaceColour kStatusText{75, 75, 255};
// A failure on the progress page's status line: a dark red-orange, about 5:1 against the white line.
inline constexpr FaceColour kWarningText{204, 51, 0};
// The success page's line when the router came back with another version or did not come back.
inline constexpr FaceColour kConfirmationWarning{190, 40, 40};
inline constexpr FaceColour kTitleText{245, 245, 245};
inline constexpr FaceColour kLabelBackground{255, 255, 255};
inline constexpr FaceColour kFieldText{75, 75, 75};
inline constexpr FaceColour kFieldBackground{255, 255, 255};
}  // namespace colour

// How a label draws its text.
struct LabelLook {
    FaceColour colour{};
    int pixels = 11;  // character height
    int smallestPixels =
        0;  // a text that would not lie whole inside is drawn smaller, down to this (0: never)
    bool bold = true;
    const char* face = nullptr;              // none: the window's small dialog font
    std::optional<FaceColour> background{};  // none: what lies below shows through
};

struct PageLabelSpec {
    const char* name;  // the object name tests and the lab find the label by
    int controlId;
    FaceBox box;
    std::string text;  // in the program's code page
    LabelLook look;
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
inline constexpr const char* kFieldFace = "MS Sans Serif";
inline constexpr const char* kLoginStatusName = "loginStatus";
inline constexpr FaceBox kLoginStatusBox = FaceBoxFromEdges(35, 332, 355, 352);
// The status line, empty until the router check starts.
PageLabelSpec LoginStatusLabel();

// The progress page's status line and percent figure (one control id for both), each with the text it
// shows as an upload starts.
inline constexpr const char* kProgressStatusName = "progressStatus";
inline constexpr const char* kPercentFigureName = "percentFigure";
inline constexpr int kProgressLabelId = 4667;
inline constexpr FaceBox kProgressStatusBox = FaceBoxFromEdges(50, 273, 420, 310);
inline constexpr FaceBox kPercentFigureBox = FaceBoxFromEdges(200, 347, 260, 372);
PageLabelSpec ProgressStatusLabel();
PageLabelSpec PercentFigureLabel();

// The success page's line, below "You have successfully upgraded your Router." and left of the picture:
// that the router is being confirmed, until the watch's first report.
inline constexpr const char* kConfirmationName = "confirmationLabel";
inline constexpr FaceBox kConfirmationBox{32, 250, 236, 110};
PageLabelSpec ConfirmationLabel();

// What the success page's line shows for a report of the watch: the version the router now runs (shown
// printable and cut short) or a warning in the warning colour.
struct ConfirmationShown {
    std::string text;
    FaceColour colour;
};
ConfirmationShown ConfirmationLineFor(ConfirmationState state, const std::string& version);

// The face's header: the model's title and the carried firmware's version.
PageLabelSpec ModelTitleLabel(const std::string& model);
PageLabelSpec VersionTitleLabel(const std::string& utilityVersion);

}  // namespace fwu
