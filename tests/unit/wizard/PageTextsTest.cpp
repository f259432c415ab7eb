// The success page's line for each report of the router's watch, as both windows show it: the text, and
// the warning colour for every report but a confirmation.
#include <gtest/gtest.h>

#include "res/StringTable.h"
#include "wizard/PageTexts.h"

namespace fwu {
namespace {

TEST(ConfirmationLine, EachReportHasItsTextAndColour) {
    const std::string longVersion(80, 'v');
    const struct {
        ConfirmationState state;
        std::string version;
        std::string text;
        FaceColour colour;
    } cases[] = {
        {ConfirmationState::Watching, "v2.00.22", std::string(LoadString(IDS_CONFIRMING)), colour::kPageText},
        {ConfirmationState::Confirmed, "v2.00.22", "The router now runs v2.00.22.", colour::kPageText},
        // A router's version is shown cut to 63 characters, whatever it sent.
        {ConfirmationState::Confirmed, longVersion, "The router now runs " + std::string(60, 'v') + "....",
         colour::kPageText},
        {ConfirmationState::NotBack, "", std::string(LoadString(IDS_ROUTER_NOT_BACK)),
         colour::kConfirmationWarning},
        {ConfirmationState::RefusesPassword, "", std::string(LoadString(IDS_ROUTER_REFUSES_PASSWORD)),
         colour::kConfirmationWarning},
    };
    for (const auto& c : cases) {
        const ConfirmationShown shown = ConfirmationLineFor(c.state, c.version);
        EXPECT_EQ(shown.text, c.text) << static_cast<int>(c.state);
        EXPECT_EQ(shown.colour, c.colour) << static_cast<int>(c.state);
    }
    const ConfirmationShown other = ConfirmationLineFor(ConfirmationState::OtherVersion, "v1.0");
    EXPECT_NE(other.text.find("v1.0"), std::string::npos);
    EXPECT_EQ(other.colour, colour::kConfirmationWarning);
}

}  // namespace
}  // namespace fwu
