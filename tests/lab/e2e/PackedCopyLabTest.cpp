// A copy of a program packed by brindlepak with another image and other texts shows the packed texts
// and uploads the packed image. The copy packed here is this test program itself, so the copy checks its
// own window in its own process (PackedChild) while this process plays the router and reads its log.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/EmbeddedPayload.h"
#include "tests/lab/e2e/DialogRig.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/walkthrough/WalkDriver.h"
#include "ui/ImageButtons.h"
#include "ui/SkinLabel.h"
#include "wizard/PageFlow.h"

namespace fwu::e2e {
namespace {

const char* const kChildVariable = "FWU_E2E_PACKED_CHILD";
const char* const kModel = "ZPR9900X";
const char* const kReleaseDate = "MAR 03,2011";
const char* const kFileName = "ZPR9900X_3.01.07_code.bin";
constexpr int kPackMs = 60'000;
constexpr int kChildMs = 90'000;

// This program's image with another date (2011-03-03) and version (3.01.07) in its header.
QByteArray PackedImage() {
    QByteArray image = OwnImage();
    const char header[6] = {11, 3, 3, 3, 1, 7};
    for (int i = 0; i < 6 && 8 + i < image.size(); ++i) {
        image[8 + i] = header[i];
    }
    return image;
}

QString RunToEnd(QProcess& process, const QString& program, const QStringList& arguments, int timeoutMs) {
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5'000);
        return program + " did not end in time:\n" + QString::fromLocal8Bit(process.readAll());
    }
    return QString::fromLocal8Bit(process.readAll());
}

TEST(PackedCopyLab, ShowsAndUploadsThePackedFirmware) {
    const QByteArray image = PackedImage();
    ASSERT_GE(image.size(), 14);
    QTemporaryDir dir(lab::ReadLabEnvironment().scratchDir + "/packed-XXXXXX");
    ASSERT_TRUE(dir.isValid());
    QFile imageFile(dir.filePath("image.bin"));
    ASSERT_TRUE(imageFile.open(QIODevice::WriteOnly));
    ASSERT_EQ(imageFile.write(image), image.size());
    imageFile.close();

    const QString packed = dir.filePath("packed-copy");
    QProcess pack;
    const QString packOutput = RunToEnd(
        pack, FWU_BRINDLEPAK,
        {"--model", kModel, "--release-date", kReleaseDate, "--file-name", kFileName,
         QString::fromStdString(platform::OwnExecutablePath().string()), imageFile.fileName(), packed},
        kPackMs);
    ASSERT_EQ(pack.exitStatus(), QProcess::NormalExit) << packOutput.toStdString();
    ASSERT_EQ(pack.exitCode(), 0) << packOutput.toStdString();

    lab::RouterSim sim(SimOptionsFor(image.size()));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildVariable, "1");
    child.setProcessEnvironment(environment);
    const QString childOutput = RunToEnd(child, packed, {"--gtest_filter=PackedChild.*"}, kChildMs);
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << childOutput.toStdString();
    EXPECT_FALSE(childOutput.contains("[  SKIPPED ]")) << childOutput.toStdString();

    ExpectUploadConfirmed(sim, image);
    const auto upload = sim.WaitForEvent("upload", 0);
    ASSERT_TRUE(upload);
    EXPECT_EQ(upload->value("image_version").toString(), "v3.01.07");
}

// Runs only inside the packed copy that the test above starts.
TEST(PackedChild, ShowsItsPackedTextsAndUpgrades) {
    if (qEnvironmentVariableIsEmpty(kChildVariable)) {
        GTEST_SKIP() << "runs inside the copy that PackedCopyLab packs";
    }
    DialogRig rig;
    CUpgradeDlg& d = rig.Dialog();
    EXPECT_EQ(d.ModelTitle()->Text(), QString("Torvane ") + kModel);
    EXPECT_EQ(d.VersionTitle()->Text(), "Firmware Ver.: v3.01.07");
    EXPECT_EQ(LabelText(d, "releaseDateLabel"), kReleaseDate);
    EXPECT_EQ(LabelText(d, "firmwareDateLabel"), "MAR 03, 2011");

    ASSERT_TRUE(rig.WalkToVerify());
    EXPECT_EQ(LabelText(d, "modelLabel"), kModel);
    EXPECT_EQ(LabelText(d, "utilityVersionLabel"), "v3.01.07");
    ASSERT_TRUE(rig.UpgradeAndWait());
    EXPECT_EQ(d.Page(), PAGE_DONE);
    EXPECT_EQ(LoadFirmwareInfo().fileName, kFileName);
    EXPECT_TRUE(rig.boxes.questions.empty());
    EXPECT_TRUE(rig.boxes.errors.empty());
}

}  // namespace
}  // namespace fwu::e2e
