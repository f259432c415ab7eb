// The labels of the welcome, login, verify, progress and success pages and the face's two titles.
#include "wizard/PageTexts.h"

#include "res/PrintableText.h"
#include "res/StringTable.h"

namespace fwu {
namespace {

// The welcome and verify pages' values; a text too long at the page's size (an unknown version's reason)
// is drawn smaller.
constexpr LabelLook kPageValueLook{.colour = colour::kPageText, .pixels = 15, .smallestPixels = 10};
constexpr LabelLook kTitleLook{.colour = colour::kTitleText, .pixels = 14, .face = "Tahoma"};
constexpr std::size_t kShownVersionChars = 63;

constexpr LabelLook OpaqueLook(FaceColour text, int pixels) {
    return {.colour = text, .pixels = pixels, .background = colour::kLabelBackground};
}

}  // namespace

std::vector<PageLabelSpec> WelcomePageLabels(const std::string& releaseDate,
                                             const std::string& firmwareDate) {
    return {{"releaseDateLabel", 4661, FaceBoxFromEdges(140, 255, 260, 272), releaseDate, kPageValueLook},
            {"firmwareDateLabel", 4660, FaceBoxFromEdges(140, 272, 260, 290), firmwareDate, kPageValueLook}};
}

std::vector<PageLabelSpec> VerifyPageLabels(const std::string& model, const std::string& routerVersion,
                                            const std::string& utilityVersion, const std::string& address) {
    return {
        {"modelLabel", 4667, FaceBoxFromEdges(190, 236, 360, 253), model, kPageValueLook},
        {"routerVersionLabel", 4668, FaceBoxFromEdges(192, 259, 360, 281), routerVersion, kPageValueLook},
        {"utilityVersionLabel", 4669, FaceBoxFromEdges(192, 283, 360, 300), utilityVersion, kPageValueLook},
        {"routerAddressLabel", 4670, FaceBoxFromEdges(190, 308, 360, 325), address, kPageValueLook}};
}

PageLabelSpec LoginStatusLabel() {
    return {kLoginStatusName, 0, kLoginStatusBox, std::string(), OpaqueLook(colour::kStatusText, 15)};
}

PageLabelSpec ProgressStatusLabel() {
    return {kProgressStatusName, kProgressLabelId, kProgressStatusBox, "Upgrading...",
            OpaqueLook(colour::kStatusText, 16)};
}

PageLabelSpec PercentFigureLabel() {
    return {kPercentFigureName, kProgressLabelId, kPercentFigureBox, "1%", OpaqueLook(colour::kPageText, 16)};
}

PageLabelSpec ConfirmationLabel() {
    return {kConfirmationName, 0, kConfirmationBox, std::string(LoadString(IDS_CONFIRMING)),
            LabelLook{.colour = colour::kPageText, .pixels = 13}};
}

ConfirmationShown ConfirmationLineFor(ConfirmationState state, const std::string& version) {
    if (state == ConfirmationState::Watching) {
        return {std::string(LoadString(IDS_CONFIRMING)), colour::kPageText};
    }
    return {ConfirmationText(state, MakePrintable(version, UnprintableStyle::HexEscape, kShownVersionChars)),
            state == ConfirmationState::Confirmed ? colour::kPageText : colour::kConfirmationWarning};
}

PageLabelSpec ModelTitleLabel(const std::string& model) {
    return {"modelTitle", 0, FaceBoxFromEdges(40, 138, 290, 178), "Torvane " + model, kTitleLook};
}

PageLabelSpec VersionTitleLabel(const std::string& utilityVersion) {
    return {"versionTitle", 0, FaceBoxFromEdges(210, 138, 460, 178), "Firmware Ver.: " + utilityVersion,
            kTitleLook};
}

}  // namespace fwu
