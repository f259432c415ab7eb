// No core dump once forbidden, and a guarded buffer emptied however its scope ends.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <string>

#include "platform/Secrets.h"

namespace fwu::platform {
namespace {

TEST(Secrets, CoreDumpsForbiddenAndBuffersWiped) {
    ASSERT_TRUE(ForbidCoreDumps());
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    struct rlimit core {};
    ASSERT_EQ(::getrlimit(RLIMIT_CORE, &core), 0);
    EXPECT_EQ(core.rlim_cur, 0u);
    EXPECT_EQ(core.rlim_max, 0u);

    std::string guarded = "s3cr3t";
    { const WipeOnExit wipe(guarded); }
    EXPECT_TRUE(guarded.empty());
}

}  // namespace
}  // namespace fwu::platform
