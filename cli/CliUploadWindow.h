// Where the upload worker posts during a headless run: each call becomes an event queued to this object on
// the main thread, whose event loop hands it to the upgrade sequence in the order posted, as the window
// does with its own.
#pragma once

#include <QObject>

#include "transfer/UploadWindow.h"

namespace fwu {
class UpgradeSequence;
}

namespace fwu::cli {

class CliFrontEnd;

class CliUploadWindow final : public QObject, public UploadWindow {
public:
    // `frontEnd` and the attached sequence must outlive every event posted here.
    explicit CliUploadWindow(CliFrontEnd& frontEnd) : frontEnd(frontEnd) {}

    // The sequence the worker's messages go to; called once, before an upload can start.
    void Attach(UpgradeSequence& served) { sequence = &served; }

    // From the worker's thread; none waits for the main thread.
    void PostUpgradeProgress(int percent) override;
    void ResetPercent() override;
    void SetStatusText(int stringId, int argument) override;  // the phase shows what the status line says
    void PostUpgradeDone(unsigned result) override;
    void PostUpgradeVerdict(const UploadVerdict& verdict) override;  // the result with its cause

protected:
    void customEvent(QEvent* event) override;

private:
    CliFrontEnd& frontEnd;
    UpgradeSequence* sequence = nullptr;
};

}  // namespace fwu::cli
