// The About box's caption and version line.
#include "wizard/AboutTexts.h"

namespace fwu {

std::string AboutCaption(std::string_view title) {
    return "About " + std::string(title);
}

std::string AboutVersionLine(std::string_view version) {
    return "Version " + std::string(version);
}

}  // namespace fwu
