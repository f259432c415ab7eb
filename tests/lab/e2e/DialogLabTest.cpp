// The real window with the real router services inside the lab, off the happy road: the proposed
// address, a router check that fails, a router with newer firmware, a router that never restarts and one
// whose web server is not there. router-sim plays each router; its log says what it was sent.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <QtTest/QTest>
#include <algorithm>

#include "platform/Adapters.h"
#include "res/StringTable.h"
#include "tests/lab/e2e/DialogRig.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/walkthrough/WalkDriver.h"
#include "ui/EditEx.h"
#include "ui/ImageButtons.h"
#include "ui/LoginFields.h"
#include "ui/ProgressDisplay.h"
#include "ui/RangeEdit.h"
#include "wizard/PageFlow.h"

namespace fwu::e2e {
namespace {

using Octets = std::array<std::string, 4>;
constexpr int kRetrySet = 3;  // picture set of the second button while Retry is offered

// The progress page with no upload running and Retry offered, the progress control back at zero (the
// figure keeps the last percent shown).
void ExpectRetryOffered(const CUpgradeDlg& dialog) {
    EXPECT_EQ(dialog.Page(), PAGE_PROGRESS);
    EXPECT_FALSE(dialog.Busy());
    EXPECT_EQ(dialog.Percent(), 0);
    EXPECT_EQ(dialog.ButtonImageSet()[1], kRetrySet);
    ASSERT_NE(dialog.Progress(), nullptr);
    EXPECT_EQ(dialog.Progress()->ProgressPosition(), 0);
}

std::string FirstGateway() {
    for (const platform::NetworkAdapter& adapter : platform::ReadAdapterList().adapters) {
        if (!adapter.gateways.empty()) {
            return adapter.gateways.front();
        }
    }
    return {};
}

// In the one-router shape the only gateway is the router; in the two-gateways shape the first gateway
// never answers, and the router, the second, is proposed.
TEST(GatewayLab, ProposesTheGatewayThatAnswers) {
    const lab::LabEnvironment env = lab::ReadLabEnvironment();
    if (env.shape == "two-gateways") {
        ASSERT_EQ(FirstGateway(), env.deadGateway.toStdString()) << "the silent gateway must come first";
    }
    DialogRig rig;
    EXPECT_TRUE(rig.boxes.messages.empty());
    EXPECT_EQ(rig.Dialog().Address().Dotted(), "192.168.1.1");

    walk::PressButton(rig.Dialog(), BTN_FORWARD);
    ASSERT_TRUE(walk::WaitForPage(rig.Dialog(), PAGE_LOGIN, 5'000));
    const LoginFields* login = rig.Dialog().Login();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->OctetTexts(), (Octets{"192", "168", "1", "1"}));
    const QStringList shown{login->OctetField(0)->text(), login->OctetField(1)->text(),
                            login->OctetField(2)->text(), login->OctetField(3)->text()};
    EXPECT_EQ(shown, (QStringList{"192", "168", "1", "1"}));
    EXPECT_EQ(login->PasswordText(), "rodel");
}

// A wrong password, then a router that does not answer pings: error 30001 each time and the login page
// stays; with the right password and a router that answers, the check passes.
TEST(RouterCheckLab, FailedChecksKeepTheLoginPage) {
    auto sim = std::make_unique<lab::RouterSim>(SimOptionsFor(OwnImage().size()));
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    DialogRig rig;
    CUpgradeDlg& d = rig.Dialog();
    walk::PressButton(d, BTN_FORWARD);
    ASSERT_TRUE(walk::WaitForPage(d, PAGE_LOGIN, 5'000));

    walk::TypeInto(d.Login()->PasswordField(), "rodeo");
    walk::PressButton(d, BTN_FORWARD);
    EXPECT_EQ(d.Page(), PAGE_LOGIN);
    EXPECT_EQ(rig.boxes.errors, std::vector<int>{IDS_ROUTER_NOT_FOUND});
    const auto refused = sim->WaitForEvent("status-request", 2'000);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->value("credential").toString(), "wrong-password");
    EXPECT_EQ(refused->value("answer").toInt(), 401);

    sim.reset();  // one router at a time
    sim = std::make_unique<lab::RouterSim>(QStringList{"--start-silent", "--restart-ms", "60000"});
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    walk::TypeInto(d.Login()->PasswordField(), "rodel");
    walk::PressButton(d, BTN_FORWARD);
    EXPECT_EQ(d.Page(), PAGE_LOGIN);
    EXPECT_EQ(rig.boxes.errors, (std::vector<int>{IDS_ROUTER_NOT_FOUND, IDS_ROUTER_NOT_FOUND}));
    EXPECT_TRUE(sim->Events("connection").isEmpty());  // no answer to the probe: nothing more is sent
    // Each box's second line names what was seen.
    ASSERT_EQ(rig.boxes.errorDetails.size(), 2u);
    EXPECT_EQ(rig.boxes.errorDetails[0].rfind("The Router refused the password (HTTP/1.", 0), 0u)
        << rig.boxes.errorDetails[0];
    EXPECT_NE(rig.boxes.errorDetails[0].find("401"), std::string::npos) << rig.boxes.errorDetails[0];
    EXPECT_EQ(rig.boxes.errorDetails[1], std::string(LoadString(IDS_CHECK_NO_ANSWER)));

    sim.reset();
    sim = std::make_unique<lab::RouterSim>(SimOptionsFor(OwnImage().size()));
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    walk::PressButton(d, BTN_FORWARD);
    ASSERT_TRUE(walk::WaitForPage(d, PAGE_VERIFY, 5'000));
    EXPECT_EQ(rig.boxes.errors.size(), 2u);
    EXPECT_EQ(d.Password(), "rodel");
    EXPECT_EQ(LabelText(d, "routerVersionLabel"), "v2.00.20");
    EXPECT_EQ(LabelText(d, "routerAddressLabel"), "192.168.1.1");
}

// A router whose firmware is newer: question 31001. No ends the window and nothing more reaches the
// router (its only connection is the status request); Yes upgrades.
TEST(DowngradeLab, NoEndsTheWindowBeforeAnyUpload) {
    lab::RouterSim sim(SimOptionsFor(OwnImage().size(), {"--version", "v9.00.00"}));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    DialogRig rig;
    rig.boxes.answers = {false};
    ASSERT_TRUE(rig.WalkToVerify());
    EXPECT_EQ(LabelText(rig.Dialog(), "routerVersionLabel"), "v9.00.00");

    walk::PressButton(rig.Dialog(), BTN_FORWARD);
    EXPECT_EQ(rig.boxes.questions, std::vector<int>{IDS_ASK_DOWNGRADE});
    EXPECT_FALSE(rig.Dialog().isVisible());
    EXPECT_EQ(rig.Dialog().result(), QDialog::Rejected);
    EXPECT_FALSE(rig.Dialog().Busy());
    QTest::qWait(1'500);  // a started upload would have connected within this
    EXPECT_EQ(sim.Events("connection").size(), 1);
    EXPECT_TRUE(sim.Events("upload-start").isEmpty());
    EXPECT_TRUE(sim.Events("upload").isEmpty());
}

TEST(DowngradeLab, YesUpgrades) {
    const QByteArray image = OwnImage();
    lab::RouterSim sim(SimOptionsFor(image.size(), {"--version", "v9.00.00"}));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    DialogRig rig;
    rig.boxes.answers = {true};
    ASSERT_TRUE(rig.WalkToVerify());
    ASSERT_TRUE(rig.UpgradeAndWait());
    EXPECT_EQ(rig.boxes.questions, std::vector<int>{IDS_ASK_DOWNGRADE});
    EXPECT_EQ(rig.Dialog().Page(), PAGE_DONE);
    ExpectUploadConfirmed(sim, image);
}

// A router that takes the image but never falls silent: the wait ends without success and Retry is
// offered; with a router that restarts, Retry then succeeds.
TEST(RetryLab, RouterThatNeverRestartsThenRetryWithOneThatDoes) {
    const QByteArray image = OwnImage();
    auto stubborn = std::make_unique<lab::RouterSim>(SimOptionsFor(image.size(), {"--fault", "no-restart"}));
    ASSERT_TRUE(stubborn->Started()) << stubborn->Error().toStdString();
    DialogRig rig;
    ASSERT_TRUE(rig.WalkToVerify());
    walk::PressButton(rig.Dialog(), BTN_FORWARD);
    EXPECT_TRUE(rig.Dialog().Busy());
    ASSERT_TRUE(walk::WaitWhileBusy(rig.Dialog(), UploadTimeoutMs()));
    ExpectRetryOffered(rig.Dialog());
    EXPECT_TRUE(rig.boxes.errors.empty());
    EXPECT_EQ(rig.Dialog().Run().LastVerdict().outcome, UploadOutcome::NoRestart);
    EXPECT_EQ(rig.Dialog().Progress()->StatusText().toStdString(),
              std::string(LoadString(IDS_FAIL_NO_RESTART)));
    const auto taken = stubborn->WaitForEvent("upload", 1'000);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->value("accepted").toBool());
    EXPECT_TRUE(stubborn->Events("restart").isEmpty());
    stubborn.reset();

    lab::RouterSim sim(SimOptionsFor(image.size()));
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    ASSERT_TRUE(rig.UpgradeAndWait(BTN_SECOND));
    EXPECT_EQ(rig.Dialog().Page(), PAGE_DONE);
    ExpectUploadConfirmed(sim, image);
}

// Port 80 closed when Upgrade is pressed: the upload start fails inside the press, so Retry is offered
// before any event runs; once the web server is back, Retry succeeds.
TEST(RetryLab, ClosedPortOffersRetryAtOnce) {
    const QByteArray image = OwnImage();
    auto sim = std::make_unique<lab::RouterSim>(SimOptionsFor(image.size()));
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    DialogRig rig;
    ASSERT_TRUE(rig.WalkToVerify());
    sim.reset();  // one router at a time: the next one takes its place
    sim = std::make_unique<lab::RouterSim>(QStringList{"--fault", "closed"});
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();

    walk::PressButton(rig.Dialog(), BTN_FORWARD);
    ExpectRetryOffered(rig.Dialog());
    EXPECT_TRUE(rig.boxes.errors.empty());
    EXPECT_EQ(rig.Dialog().Progress()->StatusText().toStdString(),
              std::string(LoadString(IDS_FAIL_NOT_CONNECTED)));

    sim.reset();
    sim = std::make_unique<lab::RouterSim>(SimOptionsFor(image.size()));
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    ASSERT_TRUE(rig.UpgradeAndWait(BTN_SECOND));
    EXPECT_EQ(rig.Dialog().Page(), PAGE_DONE);
    ExpectUploadConfirmed(*sim, image);
}

}  // namespace
}  // namespace fwu::e2e
