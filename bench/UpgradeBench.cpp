// Whole-upgrade benchmark, run inside the network lab against the simulated router: the real window with
// the real services, driven like a user. Prints, side by side from one run: start-up to the window shown
// against the one gateway probe it must make; the upgrade of the carried image split into transfer,
// settle and flash wait, each against its mandated time; the process's CPU share during the transfer
// against its goal of 1 % of one core and beside the pacing alone (the same pauses and sends with nothing
// else, measured just before), split by thread; peak memory against the image size; and the window
// thread's time per progress message against the 5 ms between pieces. Upgrades with the window's
// painting switched off (updates disabled) give the transfer's CPU share without painting, so the
// difference is what painting costs. Painted and unpainted upgrades alternate for a number of rounds
// (the first argument, 3 by default) and each kind's median round is reported with every round's share.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "PacingFloor.h"
#include "app/DialogServices.h"
#include "app/QtRunMailbox.h"
#include "app/UpgradeApp.h"
#include "app/UpgradeDlg.h"
#include "platform/ProcessStats.h"
#include "res/StringTable.h"
#include "router/Probe.h"
#include "services/SystemServices.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/labsupport/RouterSim.h"
#include "tools/walkthrough/WalkDriver.h"
#include "transfer/UploadSchedule.h"
#include "ui/ImageButtons.h"

namespace {

constexpr int kImageBytes = 3'253'248;
constexpr int kPieces = (kImageBytes + fwu::kUploadPieceSize - 1) / fwu::kUploadPieceSize;
constexpr double kTransferPausesMs = kPieces * double{fwu::kPiecePauseMs};  // one pause before each piece
constexpr double kSettleMs = 1'000;
constexpr double kCpuGoalPercent = 1.0;  // of one core, during the transfer
constexpr int kDefaultRounds = 3;        // painted and unpainted upgrades, alternating

// Times how long the window thread spends on each progress message and on each repaint of the window
// (the update request that paints and sends the picture to the display), and ends a wait (WaitFor) as
// soon as an event has made its condition true.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        std::vector<qint64>* timed = event->type() == fwu::WM_UPGRADE_PROGRESS ? &progressNs
                                     : event->type() == QEvent::UpdateRequest  ? &repaintNs
                                                                               : nullptr;
        QElapsedTimer timer;
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        if (timed != nullptr) {
            timed->push_back(timer.nsecsElapsed());
        }
        EndWaitWhenMet();
        return handled;
    }

    // Runs the event loop until `done` holds (true) or `timeoutMs` has passed (false). The thread sleeps
    // between events as the program's own loop does: a wait that polled would put its own wake-ups into
    // the CPU figures.
    bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
        if (done()) {
            return true;
        }
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        until = done;
        waiting = &loop;
        loop.exec();
        waiting = nullptr;
        until = nullptr;
        return done();
    }

    std::vector<qint64> progressNs;
    std::vector<qint64> repaintNs;

private:
    void EndWaitWhenMet() {
        if (waiting != nullptr && until && until()) {
            waiting->quit();
        }
    }

    std::function<bool()> until;
    QEventLoop* waiting = nullptr;
};

TimingApplication* timing = nullptr;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    return timing->WaitFor(done, timeoutMs);
}

bool WaitForPage(const fwu::CUpgradeDlg& dialog, int page, int timeoutMs) {
    return WaitFor([&] { return !dialog.isVisible() || dialog.Page() == page; }, timeoutMs) &&
           dialog.isVisible();
}

double CpuMs() {
    const fwu::platform::CpuTimes times = fwu::platform::ProcessCpuTimes();
    return times.userMs + times.systemMs;
}

double UserCpuMs() {
    return fwu::platform::ProcessCpuTimes().userMs;
}

// The transfer's CPU time split by thread: the window thread, the threads started during it (the upload's
// worker) and the threads that were there before (X events, the bus).
struct ThreadSplit {
    double windowMs = 0;
    double workerMs = 0;
    double othersMs = 0;
    long windowSwitches = 0;
    long workerSwitches = 0;
};

ThreadSplit SplitByThread(const std::vector<fwu::platform::ThreadCpu>& before,
                          const std::vector<fwu::platform::ThreadCpu>& after) {
    const long self = QCoreApplication::applicationPid();
    ThreadSplit split;
    for (const fwu::platform::ThreadCpu& thread : after) {
        const auto earlier =
            std::find_if(before.begin(), before.end(),
                         [&](const fwu::platform::ThreadCpu& t) { return t.id == thread.id; });
        const double ms = thread.ms - (earlier != before.end() ? earlier->ms : 0);
        const long switches = thread.switches - (earlier != before.end() ? earlier->switches : 0);
        if (thread.id == self) {
            split.windowMs += ms;
            split.windowSwitches += switches;
        } else if (earlier == before.end()) {
            split.workerMs += ms;
            split.workerSwitches += switches;
        } else {
            split.othersMs += ms;
        }
    }
    return split;
}

int Fail(const char* what) {
    std::fprintf(stderr, "upgrade-bench: %s\n", what);
    return 1;
}

// The figures of one upgrade, from the press of Upgrade on.
struct UpgradeRun {
    const char* failure = nullptr;  // what went wrong; null when the success page was reached
    fwu::bench::PacingFloor floor;  // the pacing alone, measured just before
    double transferMs = 0;
    double cpuTransferMs = 0;
    double userTransferMs = 0;  // of which in the program's own code
    ThreadSplit threadsTransfer;
    double settleMs = 0;
    double totalMs = 0;
    double cpuTotalMs = 0;
    long rssBeforeKiB = 0;
};

// Walks a new window through the whole upgrade; `painted` false switches the window's painting off.
UpgradeRun RunUpgrade(fwu::UpgradeServices& services, const fwu::DialogServices& hooks, bool painted,
                      double* startMs) {
    UpgradeRun run;
    run.floor = fwu::bench::MeasurePacingFloor(kPieces, fwu::kUploadPieceSize, fwu::kPiecePauseMs);
    if (run.floor.failure != nullptr) {
        run.failure = run.floor.failure;
        return run;
    }
    QElapsedTimer startTimer;
    startTimer.start();
    fwu::CUpgradeDlg dialog(services, hooks);
    dialog.setUpdatesEnabled(painted);
    dialog.show();
    WaitFor([&] { return dialog.isVisible(); }, 10'000);
    QApplication::processEvents();
    if (startMs != nullptr) {
        *startMs = startTimer.nsecsElapsed() / 1e6;
    }

    fwu::walk::PressButton(dialog, fwu::BTN_FORWARD);
    fwu::walk::PressButton(dialog, fwu::BTN_FORWARD);
    if (!WaitForPage(dialog, 2, 30'000)) {
        run.failure = "the router check did not pass";
        return run;
    }
    run.rssBeforeKiB = fwu::platform::ResidentKiB();
    const std::vector<fwu::platform::ThreadCpu> threadsStart = fwu::platform::ThreadCpuTimes();
    const double cpuStart = CpuMs();
    const double userStart = UserCpuMs();
    QElapsedTimer upgrade;
    upgrade.start();
    fwu::walk::PressButton(dialog, fwu::BTN_FORWARD);
    if (!dialog.Busy()) {
        run.failure = "the upload did not start";
        return run;
    }
    // Transfer ends when the worker puts the percent back to 0 after 100; settle ends with the flash text.
    const QString flashText = QString::fromLatin1(fwu::LoadString(fwu::IDS_WRITING_FLASH).data());
    bool reachedFull = false;
    WaitFor(
        [&] {
            reachedFull = reachedFull || dialog.Percent() >= 100;
            return reachedFull && dialog.Percent() == 0;
        },
        120'000);
    run.transferMs = upgrade.nsecsElapsed() / 1e6;
    run.cpuTransferMs = CpuMs() - cpuStart;
    run.userTransferMs = UserCpuMs() - userStart;
    run.threadsTransfer = SplitByThread(threadsStart, fwu::platform::ThreadCpuTimes());
    WaitFor([&] { return fwu::walk::ProgressStatus(dialog) == flashText; }, 10'000);
    run.settleMs = upgrade.nsecsElapsed() / 1e6 - run.transferMs;
    if (!WaitForPage(dialog, 4, 300'000)) {
        run.failure = "the upgrade did not reach the success page";
        return run;
    }
    run.totalMs = upgrade.nsecsElapsed() / 1e6;
    run.cpuTotalMs = CpuMs() - cpuStart;
    return run;
}

double TransferShare(const UpgradeRun& run) {
    return 100.0 * run.cpuTransferMs / run.transferMs;
}

// The round whose transfer share is the median (the lower middle one of an even count).
const UpgradeRun& MedianRun(const std::vector<UpgradeRun>& runs) {
    std::vector<const UpgradeRun*> sorted;
    for (const UpgradeRun& run : runs) {
        sorted.push_back(&run);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const UpgradeRun* a, const UpgradeRun* b) { return TransferShare(*a) < TransferShare(*b); });
    return *sorted[(sorted.size() - 1) / 2];
}

}  // namespace

int main(int argc, char** argv) {
    fwu::lab::RequireLabNamespace();
    fwu::CUpgradeApp::PrepareWindowSystem();  // as the program does before its application object
    TimingApplication app(argc, argv);
    timing = &app;
    fwu::lab::RouterSim sim({"--flash-ms", "1500", "--restart-ms", "20000"});
    if (!sim.Started()) {
        return Fail(sim.Error().toLocal8Bit().constData());
    }

    // The floor of start-up: the one probe of the gateway that answers.
    QElapsedTimer probeTimer;
    probeTimer.start();
    const bool gatewayAnswers = fwu::PingHost(sim.Address().toStdString());
    const double probeMs = probeTimer.nsecsElapsed() / 1e6;
    if (!gatewayAnswers) {
        return Fail("the lab's gateway does not answer");
    }

    fwu::SystemUpgradeServices services;
    fwu::DialogServices hooks = fwu::SystemDialogServices();
    hooks.askYesNo = [](QWidget*, int) { return true; };
    hooks.showError = [](QWidget*, int id) { std::fprintf(stderr, "error box %d\n", id); };
    hooks.showMessage = [](QWidget*, const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };

    // Alternate painted and unpainted upgrades: this machine's CPU readings drift and jump (a virtual
    // machine shares its cores), so each kind is read several times and its median round reported.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    double startMs = 0;
    std::vector<UpgradeRun> shownRuns;
    std::vector<UpgradeRun> unpaintedRuns;
    std::vector<qint64> repaints;
    long peakKiB = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const bool painted : {true, false}) {
            if (!shownRuns.empty()) {
                // The router restarts after each upgrade: the next one starts once it answers again.
                if (!fwu::walk::WaitUntil([&] { return fwu::PingHost(sim.Address().toStdString()); },
                                          60'000)) {
                    return Fail("the router did not come back for the next upgrade");
                }
            }
            const std::size_t repaintsBefore = app.repaintNs.size();
            UpgradeRun run = RunUpgrade(services, hooks, painted, round == 0 && painted ? &startMs : nullptr);
            if (run.failure != nullptr) {
                return Fail(run.failure);
            }
            if (round == 0 && painted) {
                peakKiB = fwu::platform::PeakResidentKiB();
            }
            if (painted) {
                repaints.insert(repaints.end(), app.repaintNs.begin() + repaintsBefore, app.repaintNs.end());
            }
            (painted ? shownRuns : unpaintedRuns).push_back(run);
        }
    }
    std::vector<qint64> perMessage = app.progressNs;
    const UpgradeRun& shown = MedianRun(shownRuns);
    const UpgradeRun& unpainted = MedianRun(unpaintedRuns);
    const double waitMs =
        shown.totalMs - shown.transferMs - shown.settleMs - 1'000;  // the window's 1 s pause

    std::sort(perMessage.begin(), perMessage.end());
    const double meanUs = perMessage.empty() ? 0
                                             : std::accumulate(perMessage.begin(), perMessage.end(), 0.0) /
                                                   perMessage.size() / 1e3;
    const double p95Us = perMessage.empty() ? 0 : perMessage[perMessage.size() * 95 / 100] / 1e3;
    const double cpuShare = TransferShare(shown);
    const double cpuShareUnpainted = TransferShare(unpainted);

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::printf("note: built with a sanitizer; time, CPU and memory figures are inflated\n");
#endif
    std::printf("%-36s %10s %12s %8s\n", "measure", "measured", "against", "ratio");
    std::printf("%-36s %8.0f ms %9.1f ms %8s  (against: its one answered gateway probe)\n",
                "start-up to window shown", startMs, probeMs, "");
    std::printf("%-36s %8.0f ms %9.0f ms %8.3f\n", "transfer (vs its pauses)", shown.transferMs,
                kTransferPausesMs, shown.transferMs / kTransferPausesMs);
    // Each kind's median round beside the pacing alone, measured just before it on the same machine.
    for (const auto& [label, runs] :
         {std::pair{"painted", &shownRuns}, std::pair{"unpainted", &unpaintedRuns}}) {
        const UpgradeRun& run = MedianRun(*runs);
        const double share = TransferShare(run);
        const double floorShare = 100.0 * run.floor.cpuMs / run.floor.wallMs;
        const ThreadSplit& split = run.threadsTransfer;
        std::string each;
        for (const UpgradeRun& r : *runs) {
            char figure[32];
            std::snprintf(figure, sizeof figure, "%s%.2f", each.empty() ? "" : ", ", TransferShare(r));
            each += figure;
        }
        std::printf("%-36s %8.2f %% %10.1f %% %8.2f  (median of %zu transfers: %s %%)\n",
                    (std::string("CPU share of one core, ") + label).c_str(), share, kCpuGoalPercent,
                    share / kCpuGoalPercent, runs->size(), each.c_str());
        std::printf("%-36s %8.2f %% %12s %8s  (%d pauses and sends on loopback, nothing else)\n",
                    "  the pacing alone, just before it", floorShare, "", "", kPieces);
        std::printf("%-36s %8.2f %%\n", "  the program beyond the pacing", share - floorShare);
        std::printf(
            "%-36s %8s   %12s %8s  window thread %.1f ms (%ld wake-ups), worker %.1f ms (%ld), "
            "others %.1f ms\n",
            "  by thread", "", "", "", split.windowMs, split.windowSwitches, split.workerMs,
            split.workerSwitches, split.othersMs);
    }
    std::printf("%-36s %8.1f %%\n", "painting's part", cpuShare - cpuShareUnpainted);
    std::printf(
        "%-36s %8.1f %%   (the rest is the kernel's: sends, pauses, and in the lab the\n"
        "%-36s %8s     router's side of the virtual link)\n",
        "program's own code, painted", 100.0 * shown.userTransferMs / shown.transferMs, "", "");
    std::printf("%-36s %8.0f ms %9.0f ms %8.3f\n", "settle (vs its 1,000 ms pause)", shown.settleMs,
                kSettleMs, shown.settleMs / kSettleMs);
    std::printf("%-36s %8.0f ms %12s %8s\n", "flash wait (100 cycles)", waitMs, "", "");
    std::printf("%-36s %8.0f ms %12s %8s\n", "whole upgrade incl. 1 s result pause", shown.totalMs, "", "");
    std::printf("%-36s %8.1f %% %12s %8s\n", "CPU share of one core, whole",
                100.0 * shown.cpuTotalMs / shown.totalMs, "", "");
    std::printf("%-36s %7ld KiB %8.0f KiB %8.2f\n", "peak RSS growth (vs image size)",
                peakKiB - shownRuns.front().rssBeforeKiB, kImageBytes / 1024.0,
                (peakKiB - shownRuns.front().rssBeforeKiB) / (kImageBytes / 1024.0));
    std::printf("%-36s %7ld KiB\n", "peak RSS", peakKiB);
    std::printf("%-36s %8.0f us %9.0f us %8.3f  (%zu messages, p95 %.0f us)\n",
                "window thread per progress message", meanUs, 5'000.0, meanUs / 5'000.0, perMessage.size(),
                p95Us);
    const double repaintMs = std::accumulate(repaints.begin(), repaints.end(), 0.0) / 1e6;
    std::printf("%-36s %8.0f us %12s %8s  (%zu repaints in the painted upgrades, %.0f ms in all)\n",
                "window thread per repaint", repaints.empty() ? 0.0 : 1e3 * repaintMs / repaints.size(), "",
                "", repaints.size(), repaintMs);
    return 0;
}
