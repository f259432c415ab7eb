// A virtual X display of the test's own (Xvfb) for the windows the lab tests drive: started on a display
// number no other server holds, ended with the object. Windows are found by title, driven by xdotool key
// presses and photographed with ImageMagick's import; every one of those tools runs from an argument list,
// each call bounded in time.
#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace fwu::lab {

class XScreen {
public:
    // Starts `Xvfb :N -screen 0 <width>x<height>x24 -br -noreset -nolisten tcp` and waits up to ten seconds
    // for it. No reset when its last client leaves: a program connecting during one would be turned away.
    XScreen(int width, int height);
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool Ready() const { return ready; }
    QString Error() const { return error; }
    QString Display() const { return display; }  // ":N"

    // The X windows whose title is exactly `title`, oldest first.
    QStringList WindowsTitled(const QString& title) const;
    // Where a window lies on the screen, border included; empty when it is gone.
    QRect Geometry(const QString& window) const;
    // The whole screen; a null image when it could not be read.
    QImage Shot() const;
    // Gives `window` the keyboard focus and presses `keys` there (xdotool names, e.g. "alt+n").
    bool Press(const QString& window, const QString& keys) const;
    bool MoveMouse(int x, int y) const;

private:
    // Runs `program` with `arguments` against this display for at most `timeoutMs`; its standard output
    // when it ended with status 0, nothing otherwise.
    std::optional<QByteArray> Run(const QString& program, const QStringList& arguments,
                                  int timeoutMs = 5'000) const;

    QProcess server;
    QString display;
    bool ready = false;
    QString error;
};

}  // namespace fwu::lab
