// The labels of the welcome, verify and progress pages and the face's two titles.
#include "wizard/PageTexts.h"

namespace fwu {

std::vector<PageLabelSpec> WelcomePageLabels(const std::string& releaseDate,
                                             const std::string& firmwareDate) {
    return {{"releaseDateLabel", 4661, FaceBoxFromEdges(140, 255, 260, 272), releaseDate},
            {"firmwareDateLabel", 4660, FaceBoxFromEdges(140, 272, 260, 290), firmwareDate}};
}

std::vector<PageLabelSpec> VerifyPageLabels(const std::string& model, const std::string& routerVersion,
                                            const std::string& utilityVersion, const std::string& address) {
    return {{"modelLabel", 4667, FaceBoxFromEdges(190, 236, 360, 253), model},
            {"routerVersionLabel", 4668, FaceBoxFromEdges(192, 259, 360, 281), routerVersion},
            {"utilityVersionLabel", 4669, FaceBoxFromEdges(192, 283, 360, 300), utilityVersion},
            {"routerAddressLabel", 4670, FaceBoxFromEdges(190, 308, 360, 325), address}};
}

PageLabelSpec ProgressStatusLabel() {
    return {kProgressStatusName, kProgressLabelId, kProgressStatusBox, "Upgrading..."};
}

PageLabelSpec PercentFigureLabel() {
    return {kPercentFigureName, kProgressLabelId, kPercentFigureBox, "1%"};
}

PageLabelSpec ModelTitleLabel(const std::string& model) {
    return {"modelTitle", 0, FaceBoxFromEdges(40, 138, 290, 178), "Torvane " + model};
}

PageLabelSpec VersionTitleLabel(const std::string& utilityVersion) {
    return {"versionTitle", 0, FaceBoxFromEdges(210, 138, 460, 178), "Firmware Ver.: " + utilityVersion};
}

}  // namespace fwu
