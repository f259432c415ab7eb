#include "tests/lab/e2e/DialogRig.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/walkthrough/WalkDriver.h"
#include "ui/ImageButtons.h"
#include "ui/SkinLabel.h"
#include "wizard/PageFlow.h"

namespace fwu::e2e {
namespace {

// One piece and one wait cycle below this size; the carried image takes ~45 s.
constexpr qsizetype kOnePieceImage = 100 * 1'260;
constexpr int kCheckMs = 20'000;
constexpr int kPageMs = 5'000;

}  // namespace

DialogRig::DialogRig() : dialog(std::make_unique<CUpgradeDlg>(services, boxes.Services())) {
    dialog->show();
}

DialogRig::~DialogRig() {
    walk::WaitWhileBusy(*dialog, UploadTimeoutMs());
}

bool DialogRig::WalkToVerify() {
    walk::PressButton(*dialog, BTN_FORWARD);
    if (!walk::WaitForPage(*dialog, PAGE_LOGIN, kPageMs)) {
        return false;
    }
    walk::PressButton(*dialog, BTN_FORWARD);
    return walk::WaitForPage(*dialog, PAGE_VERIFY, kCheckMs);
}

bool DialogRig::UpgradeAndWait(FaceSlot slot) {
    walk::PressButton(*dialog, slot);
    return walk::WaitWhileBusy(*dialog, UploadTimeoutMs());
}

QByteArray OwnImage() {
    static const QByteArray image =
        test::ToQByteArray(platform::ReadOwnPayload().data);  // read once: the file is large
    return image;
}

QStringList SimOptionsFor(qsizetype imageSize, const QStringList& more) {
    QStringList options;
    if (imageSize < kOnePieceImage) {
        options = {"--flash-ms", "200", "--restart-ms", "30000"};
    }
    return options + more;
}

int UploadTimeoutMs() {
    return OwnImage().size() < kOnePieceImage ? 60'000 : 240'000;
}

void ExpectUploadConfirmed(const lab::RouterSim& sim, const QByteArray& image) {
    const auto upload = sim.WaitForEvent("upload", 5'000);
    ASSERT_TRUE(upload) << "router-sim logged no upload";
    EXPECT_EQ(sim.Events("upload").size(), 1);
    EXPECT_TRUE(upload->value("accepted").toBool());
    const QJsonArray differences = upload->value("differences").toArray();
    for (const QJsonValue& difference : differences) {
        ADD_FAILURE() << "router-sim found: " << difference.toObject().value("kind").toString().toStdString()
                      << ": " << difference.toObject().value("detail").toString().toStdString();
    }
    EXPECT_EQ(upload->value("received").toInteger(), upload->value("announced").toInteger());
    EXPECT_EQ(fwu::lab::TakenImageDifference(*upload, image).toStdString(), "");
    EXPECT_TRUE(sim.WaitForEvent("restart", 10'000)) << "router-sim did not restart";
}

QString LabelText(const CUpgradeDlg& dialog, const char* name) {
    const CSkinLabel* label = dialog.findChild<CSkinLabel*>(QLatin1String(name));
    return label != nullptr ? label->Text() : QString();
}

}  // namespace fwu::e2e
