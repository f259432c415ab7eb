#include "tests/lab/windows/XScreen.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <cstring>

namespace fwu::lab {
namespace {

constexpr int kServerReadyMs = 10'000;

}  // namespace

XScreen::XScreen(int width, int height) {
    for (int n = 70; n < 100 && display.isEmpty(); ++n) {
        if (!QFile::exists(QString("/tmp/.X%1-lock").arg(n)) &&
            !QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) {
            display = QString(":%1").arg(n);
        }
    }
    if (display.isEmpty()) {
        error = "no free X display between :70 and :99";
        return;
    }
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start("Xvfb", {display, "-screen", "0", QString("%1x%2x24").arg(width).arg(height), "-br",
                          "-noreset", "-nolisten", "tcp"});
    if (!server.waitForStarted(kServerReadyMs)) {
        error = "cannot start Xvfb: " + server.errorString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kServerReadyMs) {
        if (Run("xdotool", {"getdisplaygeometry"}, 1'000)) {
            ready = true;
            return;
        }
        if (server.waitForFinished(100)) {
            break;
        }
    }
    error = "Xvfb did not start on " + display + ": " + QString::fromLocal8Bit(server.readAll().right(300));
}

XScreen::~XScreen() {
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        if (!server.waitForFinished(5'000)) {
            server.kill();
            server.waitForFinished(5'000);
        }
    }
}

std::optional<QByteArray> XScreen::Run(const QString& program, const QStringList& arguments,
                                       int timeoutMs) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1'000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

QStringList XScreen::WindowsTitled(const QString& title) const {
    QStringList windows;
    const auto found = Run("xdotool", {"search", "--name", "^" + title + "$"});
    if (found) {
        for (const QByteArray& line : found->split('\n')) {
            if (!line.trimmed().isEmpty()) {
                windows.append(QString::fromLatin1(line.trimmed()));
            }
        }
    }
    return windows;
}

QRect XScreen::Geometry(const QString& window) const {
    const auto shell = Run("xdotool", {"getwindowgeometry", "--shell", window});
    if (!shell) {
        return {};
    }
    int values[4] = {-1, -1, -1, -1};
    const char* const names[4] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
    for (const QByteArray& line : shell->split('\n')) {
        for (int i = 0; i < 4; ++i) {
            if (line.startsWith(names[i])) {
                values[i] = line.mid(static_cast<qsizetype>(std::strlen(names[i]))).toInt();
            }
        }
    }
    return values[2] > 0 && values[3] > 0 ? QRect(values[0], values[1], values[2], values[3]) : QRect();
}

QImage XScreen::Shot() const {
    const auto png = Run("import", {"-window", "root", "png:-"}, 10'000);
    return png ? QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_RGB32) : QImage();
}

bool XScreen::Press(const QString& window, const QString& keys) const {
    Run("xdotool", {"windowfocus", "--sync", window},
        2'000);  // a window that takes no focus still gets the keys
    return Run("xdotool", {"key", "--clearmodifiers", keys}).has_value();
}

bool XScreen::MoveMouse(int x, int y) const {
    return Run("xdotool", {"mousemove", QString::number(x), QString::number(y)}).has_value();
}

}  // namespace fwu::lab
