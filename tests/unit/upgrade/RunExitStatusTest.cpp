// The exit status the window and the command line share, from the watch's end to the number.
#include <gtest/gtest.h>

#include "upgrade/RunExitStatus.h"

namespace fwu {
namespace {

TEST(RunExitStatus, OnlyAFailedOrDisprovedLastUpgradeExitsOne) {
    using State = ConfirmationState;
    const struct {
        const char* name;
        std::optional<State> watchEnd;
        int expected;
    } afterDone[] = {
        {"confirmed", State::Confirmed, 0}, {"another version", State::OtherVersion, 1},
        {"not back", State::NotBack, 1},    {"stopped while watching", State::Watching, 0},
        {"never ended", std::nullopt, 0},
    };
    for (const auto& c : afterDone) {
        EXPECT_EQ(RunExitStatus(AfterWatch(c.watchEnd)), c.expected) << c.name;
    }
    EXPECT_EQ(RunExitStatus(LastUpgrade::None), 0);
    EXPECT_EQ(RunExitStatus(LastUpgrade::Failed), 1);
}

}  // namespace
}  // namespace fwu
