// The whole road of one upgrade with the real window and the real router services against router-sim:
// the scripted walk (the one fwu-walkthrough runs) reaches the success page, a picture of every page is
// written, and the router received every byte of the carried image and restarted.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

#include "tests/lab/e2e/DialogRig.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/walkthrough/SimLogSummary.h"
#include "tools/walkthrough/Walkthrough.h"

namespace fwu::e2e {
namespace {

QStringList FileNames(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths) {
        names.append(QFileInfo(path).fileName());
    }
    return names;
}

TEST(HappyPathLab, WalksToTheSuccessPageAndTheRouterHasEveryByte) {
    const QByteArray image = OwnImage();
    ASSERT_GE(image.size(), 14) << "this program carries no image";
    lab::RouterSim sim(SimOptionsFor(image.size()));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();

    DialogRig rig;
    QTemporaryDir pictures(lab::ReadLabEnvironment().scratchDir + "/pictures-XXXXXX");
    ASSERT_TRUE(pictures.isValid());
    walk::WalkOptions options;
    options.pictureDir = pictures.path();
    options.uploadTimeoutMs = UploadTimeoutMs();
    const walk::WalkResult result = walk::WalkToSuccess(rig.Dialog(), options);
    ASSERT_TRUE(result.reachedDone) << result.failure.toStdString();
    EXPECT_TRUE(rig.boxes.errors.empty());
    EXPECT_TRUE(rig.boxes.questions.empty());  // router-sim runs v2.00.20, older than the image
    EXPECT_EQ(rig.boxes.pauses, std::vector<int>{1000});
    EXPECT_EQ(rig.Dialog().RouterVersion(), "v2.00.20");

    // Every page, the progress page also while the router writes its flash; mid-transfer only where the
    // image is sent in more than one piece.
    QStringList expected{"page0-welcome.png",  "page1-login.png",          "page2-verify.png",
                         "page3-progress.png", "page3-progress-flash.png", "page4-done.png"};
    if (image.size() > 100 * 1'260) {
        expected.insert(4, "page3-progress-transfer.png");
    }
    EXPECT_EQ(FileNames(result.pictures), expected);
    QSet<QByteArray> distinct;
    for (const QString& path : result.pictures) {
        const QImage picture(path);
        EXPECT_EQ(picture.size(), QSize(560, 420)) << path.toStdString();
        distinct.insert(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(distinct.size(), result.pictures.size()) << "two pictures show the same face";

    ExpectUploadConfirmed(sim, image);

    // What fwu-walkthrough prints of the router's log says the same.
    QFile log(sim.LogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const walk::SimLogSummary summary = walk::SummariseSimLog(log.readAll());
    // The check's status request; and the success page's watch asks once more when router-sim is back
    // from its restart before its log is read here.
    EXPECT_GE(summary.statusRequests, 1);
    EXPECT_LE(summary.statusRequests, 2);
    EXPECT_EQ(summary.statusAnswers.size(), summary.statusRequests);
    EXPECT_EQ(summary.statusAnswers.count(QStringLiteral("200")), summary.statusAnswers.size());
    EXPECT_TRUE(summary.statusDifferences.isEmpty());
    ASSERT_EQ(summary.uploads.size(), 1);
    EXPECT_TRUE(summary.uploads[0].accepted);
    EXPECT_TRUE(summary.uploads[0].differences.isEmpty());
    EXPECT_EQ(summary.uploads[0].imageSize, image.size());
    EXPECT_EQ(summary.uploads[0].imageVersion, "v2.00.22");
    EXPECT_TRUE(summary.restarted);
}

}  // namespace
}  // namespace fwu::e2e
