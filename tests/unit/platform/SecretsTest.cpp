// No core dump once forbidden, and buffers emptied by the wipe whether or not they were shared.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QString>
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

    std::string text = "s3cr3t";
    WipeSecret(text);
    EXPECT_TRUE(text.empty());
    {
        std::string guarded = "s3cr3t";
        { const WipeOnExit wipe(guarded); }
        EXPECT_TRUE(guarded.empty());
    }
    QByteArray alone("s3cr3t");
    QByteArray shared = QByteArray("pa55word");
    const QByteArray other = shared;  // a second owner keeps its bytes
    WipeSecret(alone);
    WipeSecret(shared);
    EXPECT_TRUE(alone.isEmpty());
    EXPECT_TRUE(shared.isEmpty());
    EXPECT_EQ(other, QByteArray("pa55word"));
    QString typed = QStringLiteral("p\u00e4ss");
    typed.detach();
    WipeSecret(typed);
    EXPECT_TRUE(typed.isEmpty());
}

}  // namespace
}  // namespace fwu::platform
