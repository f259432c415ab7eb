// The two windows in the lab, on one virtual display, driven by keys alone: the Linux window and the
// Windows window under wine, each packed with the same image, walk from Welcome to Congratulations
// against router-sim. Each page of the Windows window must look like the Linux window's same page outside
// the labels, fields and progress strip (fonts and timing differ there), within the art check's steps;
// the router must receive the same request bytes from both; and the success page must come to name the
// version the router runs after its restart. Then the Windows window alone: a refused password keeps the
// login page behind a message box, and Retry after a reset part-way uploads again and succeeds.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/lab/windows/WineRun.h"
#include "tests/lab/windows/XScreen.h"

namespace {

const QString kTitle = "Firmware Upgrade Utility";
constexpr int kChannelSteps = 16;         // per channel, of 255
constexpr int kDifferingPerThousand = 5;  // pixels beyond those steps, of every thousand
constexpr int kPollMs = 250;
// A short flash, and a restart that outlasts the program's wait (its silence test and the rest of its
// wait cycles, about half a minute), so that the success page shows the router watched before it is back.
const QStringList kQuickRouter = {"--flash-ms", "500", "--restart-ms", "35000"};

QRect Edges(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Each page: the content picture whose heading band tells that the page is shown, and the rectangles
// (window coordinates, edges included) where text is drawn or the strip grows: left out of the comparison.
struct PageLook {
    const char* name;
    int picture;
    std::vector<QRect> textAreas;
};
const QRect kTitles = Edges(40, 138, 459, 177);
const PageLook kPages[] = {
    {"welcome", 165, {kTitles, Edges(140, 255, 260, 290)}},
    {"login", 169, {kTitles, Edges(185, 238, 399, 262), Edges(185, 285, 354, 309), Edges(35, 332, 355, 352)}},
    {"verify", 167, {kTitles, Edges(190, 236, 360, 325)}},
    {"progress",
     168,
     {kTitles, Edges(50, 273, 420, 310), Edges(57, 312, 359, 339), Edges(200, 347, 260, 372)}},
    {"done", 166, {kTitles, Edges(32, 250, 268, 360)}},
};
enum Page { kWelcome, kLogin, kVerify, kProgress, kDone };
// What both windows show of the face: the Linux window's outline, the frame's size with five pixels cut
// off every side, clear of its rounded corners (the Windows window is 11 pixels larger and its outline
// shows the frame's edge beyond the Linux one's, and its corners rounded elsewhere).
const QRect kShownFace = Edges(5, 5, 554, 414);
const std::vector<QRect> kCorners = {Edges(5, 5, 16, 18), Edges(543, 5, 554, 18), Edges(5, 401, 16, 414),
                                     Edges(543, 401, 554, 414)};
const QRect kConfirmationLine = kPages[kDone].textAreas[1];

bool SameWithin(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= kChannelSteps && std::abs(qGreen(a) - qGreen(b)) <= kChannelSteps &&
           std::abs(qBlue(a) - qBlue(b)) <= kChannelSteps;
}

struct Difference {
    qsizetype differing = 0;
    qsizetype compared = 0;
    bool Within() const { return compared > 0 && differing * 1000 <= compared * kDifferingPerThousand; }
};

// Pixels of `area` (both images' coordinates) that differ beyond the steps, `leftOut` aside.
Difference Compare(const QImage& a, const QImage& b, const QRect& area,
                   const std::vector<QRect>& leftOut = {}) {
    Difference difference;
    if (a.isNull() || b.isNull()) {
        return difference;
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (std::any_of(leftOut.begin(), leftOut.end(),
                            [&](const QRect& r) { return r.contains(x, y); })) {
                continue;
            }
            ++difference.compared;
            if (!a.valid(x, y) || !b.valid(x, y) || !SameWithin(a.pixel(x, y), b.pixel(x, y))) {
                ++difference.differing;
            }
        }
    }
    return difference;
}

// A page picture as the face shows it: its transparent parts show the white panel.
QImage ContentPicture(int picture) {
    const QImage art(QString(FWU_SKIN_DIR "/CONTENTS/%1.gif").arg(picture));
    QImage shown(art.size(), QImage::Format_RGB32);
    shown.fill(Qt::white);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            if (qAlpha(art.pixel(x, y)) > 127) {
                shown.setPixel(x, y, art.pixel(x, y) | 0xff000000);
            }
        }
    }
    return shown;
}

// The heading band of a page picture: the page is told by it.
QImage HeadingBand(int picture) {
    const QImage shown = ContentPicture(picture);
    return shown.copy(0, 0, shown.width(), 60);
}

std::string Why(const QByteArray& what) {
    return what.right(2'000).toStdString();
}

// One window program on the display: the Linux one or the Windows one under wine, with a state folder
// (its attempt log) of its own.
class WindowProgram {
public:
    WindowProgram(bool windows, const fwu::lab::XScreen& screen, const fwu::lab::Wine& wine,
                  const QString& linuxProgram, const QString& windowsProgram)
        : windows(windows), screen(screen) {
        QProcessEnvironment environment;
        if (windows) {
            environment = wine.Environment();
            const QDir users(QString(FWU_WINE_PREFIX) + "/drive_c/users");
            for (const QString& user : users.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                logPath = users.filePath(user + "/AppData/Local/firmware-upgrade-utility/upgrade.log");
                if (QFile::exists(logPath)) {
                    break;
                }
            }
            QFile::remove(logPath);  // the log of this run alone
        } else {
            environment = QProcessEnvironment::systemEnvironment();
            environment.insert("XDG_RUNTIME_DIR", state.path());
            environment.insert("XDG_STATE_HOME", state.path());
            environment.insert("QT_QPA_PLATFORM", "xcb");
            // The system's D-Bus library, reached through the X platform plugin, keeps one buffer to the
            // end in a sanitizer build: not the program's leak.
            QFile suppressions(state.filePath("lsan.supp"));
            if (suppressions.open(QIODevice::WriteOnly)) {
                suppressions.write("leak:libdbus-1.so\n");
            }
            const QString lsan = environment.value("LSAN_OPTIONS");
            environment.insert("LSAN_OPTIONS", "suppressions=" + suppressions.fileName() +
                                                   (lsan.isEmpty() ? "" : ":" + lsan));
            logPath = state.filePath("firmware-upgrade-utility/upgrade.log");
        }
        environment.insert("DISPLAY", screen.Display());
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (windows) {
            process.start("wine", {windowsProgram});
        } else {
            process.start(linuxProgram, QStringList{});
        }
    }
    ~WindowProgram() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5'000);
        }
    }
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    const char* Side() const { return windows ? "Windows" : "Linux"; }
    // What the program wrote, and how it ended when it did.
    QByteArray Output() {
        output += process.readAll();
        if (process.state() != QProcess::NotRunning) {
            return output;
        }
        return output + QString("\n(ended: status %1, %2)")
                            .arg(process.exitCode())
                            .arg(process.errorString())
                            .toUtf8();
    }
    QString Log() const {
        QFile file(logPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    QString Window() const { return window; }

    // Waits for the window (the first one with the title) to appear.
    bool FindWindow(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs && process.state() != QProcess::NotRunning) {
            const QStringList found = screen.WindowsTitled(kTitle);
            if (!found.isEmpty()) {
                window = found.front();
                // The pointer rests on the header, over no button: no hot picture in the screenshots.
                const QRect where = screen.Geometry(window);
                screen.MoveMouse(where.x() + 200, where.y() + 60);
                return true;
            }
            QThread::msleep(kPollMs);
        }
        return false;
    }

    // The window's picture in `shot`, at the window's own size, or a null image when it is gone.
    QImage WindowIn(const QImage& shot) const {
        const QRect where = screen.Geometry(window);
        return where.isEmpty() ? QImage() : shot.copy(where);
    }

    // Waits until the window shows `page`; the window's picture then, or a null image.
    QImage WaitForPage(int page, int timeoutMs) {
        static const QImage bands[] = {HeadingBand(kPages[0].picture), HeadingBand(kPages[1].picture),
                                       HeadingBand(kPages[2].picture), HeadingBand(kPages[3].picture),
                                       HeadingBand(kPages[4].picture)};
        const QImage& band = bands[page];
        QElapsedTimer clock;
        clock.start();
        QImage shot;
        while (clock.elapsed() < timeoutMs && process.state() != QProcess::NotRunning) {
            shot = screen.Shot();
            const QImage picture = WindowIn(shot);
            const QImage shown = picture.copy(20, 176, band.width(), band.height());
            if (Compare(shown, band, band.rect()).Within()) {
                return picture;
            }
            QThread::msleep(kPollMs);
        }
        shot.save(QString(FWU_WINDOW_LAB_SHOTS "/%1-no-%2-page.png").arg(Side(), kPages[page].name));
        return {};
    }

    bool Press(const QString& keys) const { return screen.Press(window, keys); }

    // Waits up to `timeoutMs` for the program to end; its exit status, -1 when it did not end by itself.
    int End(int timeoutMs) {
        if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process.exitCode();
    }

private:
    bool windows;
    const fwu::lab::XScreen& screen;
    QTemporaryDir state;
    QString logPath;
    QProcess process;
    QByteArray output;
    QString window;
};

// Waits until `check` holds, for at most `timeoutMs`.
template <typename Check>
bool WaitUntil(Check check, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QThread::msleep(kPollMs);
    }
    return true;
}

// What one walk from Welcome to Congratulations left: the window's picture of each page, the request the
// router saved and the version the router runs after its restart.
struct Walk {
    QImage pages[5];
    QByteArray request;
    QString newVersion;
};

class WindowsWindowLab : public testing::Test {
protected:
    static void SetUpTestSuite() {
        wine = new fwu::lab::Wine(FWU_WINE_PREFIX);
        packedDir = new QTemporaryDir;
        screen = new fwu::lab::XScreen(1024, 768);
        packError = fwu::lab::PackForLab(FWU_WINDOWS_PROGRAM, FWU_CLI_LAB_IMAGE, WindowsProgram()) +
                    fwu::lab::PackForLab(FWU_LINUX_PROGRAM, FWU_CLI_LAB_IMAGE, LinuxProgram());
        QDir().mkpath(FWU_WINDOW_LAB_SHOTS);
    }
    static void TearDownTestSuite() {
        delete screen;
        delete wine;
        delete packedDir;
    }
    void SetUp() override {
        ASSERT_TRUE(wine->Ready()) << wine->Error().toStdString();
        ASSERT_TRUE(screen->Ready()) << screen->Error().toStdString();
        ASSERT_TRUE(packError.isEmpty()) << packError.toStdString();
    }

    static QString WindowsProgram() { return packedDir->filePath("firmware-upgrade-utility.exe"); }
    static QString LinuxProgram() { return packedDir->filePath("firmware-upgrade-utility"); }
    static std::unique_ptr<WindowProgram> Start(bool windows) {
        return std::make_unique<WindowProgram>(windows, *screen, *wine, LinuxProgram(), WindowsProgram());
    }
    static void Save(const QImage& picture, const QString& name) {
        picture.save(QString(FWU_WINDOW_LAB_SHOTS) + "/" + name + ".png");
    }

    // Welcome, Login (the proposed address and the default password), Verify, Upgrade; the success page
    // until its line names the router's version; Exit.
    static Walk WalkToSuccess(bool windows) {
        Walk walk;
        fwu::lab::RouterSim sim(kQuickRouter);
        EXPECT_TRUE(sim.Started()) << sim.Error().toStdString();
        const auto program = Start(windows);
        SCOPED_TRACE(program->Side());
        if (!program->FindWindow(60'000)) {
            ADD_FAILURE() << "no window within a minute: " << Why(program->Output());
            return walk;
        }
        const struct {
            Page page;
            int waitMs;
            const char* key;  // pressed once the page is shown
        } steps[] = {
            {kWelcome, 30'000, "alt+n"},  {kLogin, 10'000, "alt+n"}, {kVerify, 30'000, "alt+u"},
            {kProgress, 10'000, nullptr}, {kDone, 120'000, nullptr},
        };
        for (const auto& step : steps) {
            walk.pages[step.page] = program->WaitForPage(step.page, step.waitMs);
            if (walk.pages[step.page].isNull()) {
                ADD_FAILURE() << "the " << kPages[step.page].name << " page did not appear\n"
                              << Why(program->Output()) << program->Log().toStdString();
                return walk;
            }
            if (step.key != nullptr) {
                program->Press(step.key);
            }
        }
        // The line says the router is being watched, then names the version it came back with.
        const QImage watching = walk.pages[kDone];
        EXPECT_TRUE(sim.Events("back").isEmpty()) << "the router was back before the success page was seen";
        const auto back = sim.WaitForEvent("back", 60'000);
        EXPECT_TRUE(back) << "router-sim did not come back";
        walk.newVersion = back ? back->value("version").toString() : QString();
        const QString named = "runs " + walk.newVersion + " (confirmed)";
        EXPECT_TRUE(WaitUntil([&] { return program->Log().contains(named); }, 60'000))
            << "the attempt log does not say the router " << named.toStdString() << ":\n"
            << program->Log().toStdString();
        EXPECT_TRUE(WaitUntil(
            [&] {
                walk.pages[kDone] = program->WindowIn(screen->Shot());
                return Compare(walk.pages[kDone], watching, kConfirmationLine).differing > 0;
            },
            5'000))
            << "the success page's line did not change from watching the router";
        QThread::msleep(500);  // the line drawn whole
        walk.pages[kDone] = program->WindowIn(screen->Shot());
        if (const auto upload = sim.WaitForEvent("upload", 1'000)) {
            EXPECT_TRUE(upload->value("accepted").toBool());
            QFile saved(upload->value("saved_request").toString());
            walk.request = saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
        }
        QFile log(QString(FWU_WINDOW_LAB_SHOTS) + "/" + program->Side() + "-upgrade.log");
        if (log.open(QIODevice::WriteOnly)) {
            log.write(program->Log().toLocal8Bit());
        }
        program->Press("alt+x");
        EXPECT_EQ(program->End(15'000), 0) << "Exit did not end the program well: " << Why(program->Output());
        return walk;
    }

    static fwu::lab::Wine* wine;
    static QTemporaryDir* packedDir;
    static fwu::lab::XScreen* screen;
    static QString packError;
};

fwu::lab::Wine* WindowsWindowLab::wine = nullptr;
QTemporaryDir* WindowsWindowLab::packedDir = nullptr;
fwu::lab::XScreen* WindowsWindowLab::screen = nullptr;
QString WindowsWindowLab::packError;

TEST_F(WindowsWindowLab, KeysAloneLeadBothWindowsToSuccessWithTheSameLookAndBytes) {
    const Walk linux = WalkToSuccess(false);
    const Walk windows = WalkToSuccess(true);
    ASSERT_FALSE(linux.request.isEmpty()) << "the Linux window's upload was not saved";
    EXPECT_TRUE(windows.request == linux.request)
        << "the Windows window's request differs from the Linux one's";
    EXPECT_FALSE(windows.newVersion.isEmpty());
    EXPECT_EQ(windows.newVersion, linux.newVersion);
    for (int page = kWelcome; page <= kDone; ++page) {
        SCOPED_TRACE(kPages[page].name);
        Save(linux.pages[page], QString("linux-page-%1").arg(page));
        Save(windows.pages[page], QString("windows-page-%1").arg(page));
        std::vector<QRect> leftOut = kCorners;
        const Difference all = Compare(windows.pages[page], linux.pages[page], kShownFace, leftOut);
        leftOut.insert(leftOut.end(), kPages[page].textAreas.begin(), kPages[page].textAreas.end());
        const Difference outside = Compare(windows.pages[page], linux.pages[page], kShownFace, leftOut);
        std::printf("%-8s page: %lld of %lld pixels differ outside the text areas, %lld in them\n",
                    kPages[page].name, static_cast<long long>(outside.differing),
                    static_cast<long long>(outside.compared),
                    static_cast<long long>(all.differing - outside.differing));
        EXPECT_TRUE(outside.Within())
            << outside.differing << " of " << outside.compared << " pixels differ from the Linux window's";
    }
}

// The Windows window alone, one walk through two faults: a router that refuses the default password
// (a message box over the login page, which stays), then one that resets the upload half-way (the
// progress page offers Retry), then one that takes it: Retry by key uploads again and succeeds.
TEST_F(WindowsWindowLab, RefusedPasswordKeepsLoginAndRetryAfterAResetSucceeds) {
    auto sim = std::make_unique<fwu::lab::RouterSim>(QStringList{"--password", "not-the-default"});
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    const auto program = Start(true);
    ASSERT_TRUE(program->FindWindow(60'000)) << Why(program->Output());
    ASSERT_FALSE(program->WaitForPage(kWelcome, 30'000).isNull()) << Why(program->Output());
    program->Press("alt+n");
    ASSERT_FALSE(program->WaitForPage(kLogin, 10'000).isNull());
    program->Press("alt+n");

    QString box;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const QStringList windows = screen->WindowsTitled(kTitle);
            box = windows.value(windows.indexOf(program->Window()) == 0 ? 1 : 0);
            return !box.isEmpty() && box != program->Window();
        },
        20'000))
        << "no message box after the refused password";
    Save(screen->Shot(), "windows-refused-password");
    screen->Press(box, "Return");
    EXPECT_TRUE(WaitUntil([&] { return !screen->WindowsTitled(kTitle).contains(box); }, 10'000))
        << "Enter did not close the message box";
    EXPECT_FALSE(program->WaitForPage(kLogin, 5'000).isNull()) << "the login page is not shown after the box";
    EXPECT_TRUE(sim->Events("upload-start").isEmpty());
    EXPECT_TRUE(program->Log().contains("check: 192.168.1.1: failed")) << program->Log().toStdString();

    const auto refusals = sim->Events("status-request");
    EXPECT_TRUE(!refusals.isEmpty() && refusals.back().value("credential").toString() == "wrong-password");
    sim.reset();  // one router at a time: the next one takes its place
    sim = std::make_unique<fwu::lab::RouterSim>(QStringList{"--fault", "reset-upload"});
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    program->Press("alt+n");
    ASSERT_FALSE(program->WaitForPage(kVerify, 30'000).isNull()) << program->Log().toStdString();
    program->Press("alt+u");
    EXPECT_TRUE(sim->WaitForEvent("upload-aborted", 30'000)) << "router-sim did not reset the upload";
    EXPECT_TRUE(WaitUntil([&] { return program->Log().contains("verdict: result 0"); }, 30'000))
        << program->Log().toStdString();
    QThread::msleep(1'500);  // the window offers Retry a second after the failed attempt
    const QImage failed = program->WaitForPage(kProgress, 5'000);
    EXPECT_FALSE(failed.isNull()) << "the progress page is not shown after the reset";
    // The strip back at zero: the empty bar of the page's picture.
    const QRect strip = kPages[kProgress].textAreas[2];
    const QImage emptyBar = ContentPicture(kPages[kProgress].picture).copy(strip.translated(-20, -176));
    EXPECT_EQ(Compare(failed.copy(strip), emptyBar, emptyBar.rect()).differing, 0)
        << "the progress strip is not back at zero";
    Save(failed, "windows-page-3-retry");

    sim.reset();
    sim = std::make_unique<fwu::lab::RouterSim>(QStringList{"--flash-ms", "500", "--restart-ms", "12000"});
    ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
    program->Press("alt+r");
    const auto upload = sim->WaitForEvent("upload", 30'000);
    ASSERT_TRUE(upload) << "Retry did not upload again: " << program->Log().toStdString();
    EXPECT_TRUE(upload->value("accepted").toBool());
    EXPECT_FALSE(program->WaitForPage(kDone, 90'000).isNull()) << program->Log().toStdString();
    program->Press("alt+x");
    EXPECT_EQ(program->End(15'000), 0) << Why(program->Output());
}

}  // namespace
