// Waiting on the window thread without freezing the window: a blocking step (the router check) runs on
// a short-lived thread while the window thread keeps processing its events, and the window's input is
// held off meanwhile.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace fwu {

// Runs `step` on a thread of its own and processes the calling thread's events until it has ended; the
// thread is joined before this returns, also when the event loop is told to quit meanwhile. False, with
// `step` not run, when no thread could be created.
bool RunWhileProcessingEvents(const std::function<void()>& step);

// While it lives, swallows the user's input to `window` and its children (buttons, keys, wheel, context
// menu), so nothing the user does starts a second step, changes the page or ends the window. Mouse moves
// and every other event (painting, timers, posted messages) pass.
class InputHold : public QObject {
public:
    explicit InputHold(QWidget* window);
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window;
};

}  // namespace fwu
