// A failure as the user meets it, with the real window and the real router services against router-sim:
// the router resets the connection halfway through the carried image, and the progress page says the
// connection was lost, at which percent, with the bar emptied and the figure cleared.
#include <gtest/gtest.h>

#include "tests/lab/e2e/DialogRig.h"
#include "tools/walkthrough/WalkDriver.h"
#include "ui/ImageButtons.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinLabel.h"
#include "wizard/PageFlow.h"

namespace fwu::e2e {
namespace {

TEST(CauseLab, ResetMidTransferShowsItsCause) {
    const QByteArray image = OwnImage();
    ASSERT_GE(image.size(), 100'000) << "the reset must come mid-body: this needs the carried image";
    lab::RouterSim sim(SimOptionsFor(image.size(), {"--fault", "reset-upload"}));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    DialogRig rig;
    ASSERT_TRUE(rig.WalkToVerify());
    walk::PressButton(rig.Dialog(), BTN_FORWARD);
    ASSERT_TRUE(walk::WaitWhileBusy(rig.Dialog(), UploadTimeoutMs()));

    const CUpgradeDlg& dialog = rig.Dialog();
    EXPECT_EQ(dialog.Page(), PAGE_PROGRESS);
    EXPECT_TRUE(rig.boxes.errors.empty());
    const UploadVerdict& verdict = dialog.Run().LastVerdict();
    EXPECT_EQ(verdict.outcome, UploadOutcome::LostInTransfer);
    EXPECT_GT(verdict.percent, 10);
    EXPECT_LT(verdict.percent, 90);
    ASSERT_NE(dialog.Progress(), nullptr);
    const QString text = dialog.Progress()->StatusText();
    EXPECT_EQ(text,
              QStringLiteral("Connection lost at %1%. The Router keeps its current firmware; click Retry.")
                  .arg(verdict.percent));
    EXPECT_EQ(dialog.Progress()->StatusLabel()->TextColor(), QColor(kWarningRgb));
    EXPECT_EQ(dialog.Progress()->PercentText(), QString());
    EXPECT_EQ(dialog.Progress()->BarPercent(), 0);
    const auto aborted = sim.WaitForEvent("upload-aborted", 1'000);
    ASSERT_TRUE(aborted);
    EXPECT_TRUE(sim.Events("restart").isEmpty());
}

}  // namespace
}  // namespace fwu::e2e
