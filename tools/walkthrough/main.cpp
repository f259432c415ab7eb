// fwu-walkthrough: the scripted walk through the upgrade window, inside the network lab, for a machine
// without a display. It runs the real window with the real router services offscreen, answers every
// question Yes, saves a picture of each page and tells what the simulated router received.
// Usage (inside scripts/lab): fwu-walkthrough [--out DIR]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "services/SystemServices.h"
#include "app/UpgradeDlg.h"
#include "res/StringTable.h"
#include "tools/labsupport/LabEnvironment.h"
#include "tools/walkthrough/SimLogSummary.h"
#include "tools/walkthrough/WalkDriver.h"
#include "tools/walkthrough/Walkthrough.h"
#include "ui/SkinLabel.h"

namespace {

constexpr qint64 kMaxLogBytes = 16 * 1024 * 1024;
constexpr int kBackWaitMs = 10'000;

void Print(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}

QString StringText(int id) {
    const std::string_view text = fwu::LoadString(id);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Boxes become lines on the terminal; every question is answered Yes; the pause is a real one.
fwu::DialogServices PrintingDialogServices() {
    fwu::DialogServices hooks;
    hooks.askYesNo = [](QWidget*, int id) {
        Print(QString("question %1: %2 -> Yes").arg(id).arg(StringText(id)));
        return true;
    };
    hooks.showError = [](QWidget*, int id) { Print(QString("error %1: %2").arg(id).arg(StringText(id))); };
    hooks.showMessage = [](QWidget*, const std::string& text) {
        Print("message: " + QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    };
    hooks.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    return hooks;
}

QByteArray ReadLog(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(kMaxLogBytes);
}

// What router-sim received; after a restart, waits a little for it to come back with the new version.
void PrintSimSummary() {
    const QString path = fwu::lab::ReadLabEnvironment().simLog;
    if (path.isEmpty()) {
        Print("router-sim log: not given (FWU_LAB_SIM_LOG is not set)");
        return;
    }
    fwu::walk::SimLogSummary summary = fwu::walk::SummariseSimLog(ReadLog(path));
    QElapsedTimer clock;
    clock.start();
    while (summary.restarted && !summary.back && clock.elapsed() < kBackWaitMs) {
        QThread::msleep(200);
        summary = fwu::walk::SummariseSimLog(ReadLog(path));
    }
    Print("what router-sim received (" + path + "):");
    for (const QString& line : fwu::walk::DescribeSimLog(summary)) {
        Print("  " + line);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The window probes the default gateway as it opens: only inside the lab's "pc" namespace.
    std::string why;
    if (!fwu::lab::InLabNamespace(why)) {
        std::fprintf(stderr,
                     "fwu-walkthrough: refused to run outside the network lab (%s); start it with "
                     "sudo scripts/run\n",
                     why.c_str());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Walks the upgrade window through its five pages inside the lab.");
    parser.addHelpOption();
    const QCommandLineOption outOption("out", "Folder for the pictures (default: walkthrough).", "dir",
                                       "walkthrough");
    parser.addOption(outOption);
    parser.process(application);
    const QString out = QDir(parser.value(outOption)).absolutePath();

    int status = 1;
    {
        fwu::SystemUpgradeServices services;  // outlives the window: a running upload is joined after it
        fwu::CUpgradeDlg dialog(services, PrintingDialogServices());
        fwu::walk::WalkOptions options;
        options.pictureDir = out;
        options.password = QStringLiteral("rodel");
        options.say = Print;
        const fwu::walk::WalkResult result = fwu::walk::WalkToSuccess(dialog, options);
        Print(QString("%1 pictures in %2:").arg(result.pictures.size()).arg(out));
        for (const QString& picture : result.pictures) {
            Print("  " + picture);
        }
        if (result.reachedDone) {
            // The success page then watches the router come back from its restart and names its version.
            Print("watching the router come back (at most 5 minutes)");
            const auto line = [&dialog] {
                const fwu::CSkinLabel* label = dialog.ConfirmationLabel();
                return label != nullptr ? label->Text() : QString();
            };
            fwu::walk::WaitUntil([&line] { return !line().isEmpty(); }, 5 * 60 * 1000 + 10'000);
            Print("success page: " + (line().isEmpty() ? QStringLiteral("no confirmation line") : line()));
            const QString picture = out + "/page4-done-confirmed.png";
            if (!line().isEmpty() && dialog.grab().save(picture)) {
                Print("  " + picture);
            }
        }
        Print("log of this attempt: " + QString::fromStdString(services.Log()->Path()));
        PrintSimSummary();
        if (result.reachedDone) {
            Print("walk-through: the success page was reached");
            status = 0;
        } else {
            Print("walk-through FAILED: " + result.failure);
        }
        if (result.stillBusy) {
            // The worker still posts to the window: end here rather than take the window away under it.
            std::fflush(stdout);
            std::_Exit(1);
        }
    }
    return status;
}
