// The real upgrade window over the program's real router services, as the end-to-end lab tests drive
// it: message boxes recorded (questions answered from a script), the router simulated by router-sim.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <memory>

#include "app/UpgradeDlg.h"
#include "services/SystemServices.h"
#include "tests/gui/app/support/RecordingDialogServices.h"
#include "tools/labsupport/RouterSim.h"
#include "wizard/FaceSlot.h"

namespace fwu::e2e {

class DialogRig {
public:
    // Builds the window (it proposes the router address from the lab's gateways here) and shows it.
    DialogRig();
    // Waits for a running upload to end before the window goes: the worker posts to it.
    ~DialogRig();
    DialogRig(const DialogRig&) = delete;
    DialogRig& operator=(const DialogRig&) = delete;

    CUpgradeDlg& Dialog() { return *dialog; }

    // Next on the welcome page, Next on the login page (the router check); true when the verify page
    // shows.
    bool WalkToVerify();
    // Upgrade (or Retry) and wait for the upload to end; true when it ended in time.
    bool UpgradeAndWait(FaceSlot slot = BTN_FORWARD);

    SystemUpgradeServices services;
    fwu::testing::RecordingDialogServices boxes;

private:
    std::unique_ptr<CUpgradeDlg> dialog;
};

// The image this program carries.
QByteArray OwnImage();

// router-sim options for a run with an image of `imageSize` bytes: a small image is sent in one piece
// and the window probes once, a second after the transfer, so the router must be silent by then.
QStringList SimOptionsFor(qsizetype imageSize, const QStringList& more = {});

// The longest a whole upload of this program's image may take, flash wait included.
int UploadTimeoutMs();

// Checks, with test assertions, that the router took exactly one upload, found no difference in it,
// stored exactly `image` and restarted.
void ExpectUploadConfirmed(const lab::RouterSim& sim, const QByteArray& image);

// The text of a label of the window face by object name; empty when there is none.
QString LabelText(const CUpgradeDlg& dialog, const char* name);

}  // namespace fwu::e2e
