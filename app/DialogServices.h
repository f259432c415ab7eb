// How the main window asks the user, tells the user and pauses. The program uses real message boxes and a
// real sleep; tests hand in answers and record what was asked, without a modal box or a real wait.
#pragma once

#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace fwu {

struct DialogServices {
    // A question box (Yes / No) with a string-table text; true only for Yes.
    std::function<bool(QWidget* owner, int stringId)> askYesNo;
    // An error box (stop icon, OK) with a string-table text.
    std::function<void(QWidget* owner, int stringId)> showError;
    // A plain box (OK) with a text of its own; gateway discovery reports through it.
    std::function<void(QWidget* owner, const std::string& text)> showMessage;
    // Blocks the calling thread for the given time, without running any events.
    std::function<void(int milliseconds)> pause;
    // An error box (stop icon, OK) with a string-table text, a blank line and a line of detail.
    std::function<void(QWidget* owner, int stringId, const std::string& detail)> showErrorDetail;
};

// Real message boxes owned by the window and a real sleep.
DialogServices SystemDialogServices();

// `hooks` with every hook left empty replaced by the real box or sleep.
DialogServices WithSystemFallbacks(DialogServices hooks);

enum class MessageKind { Question, Error, Plain };

// The box a hook shows, not yet run: owned by `owner`, captioned with the program title (string 1000),
// the text as given; a question has Yes (the default) and No (also the answer to Escape or closing the box),
// an error the stop icon and OK, a plain box OK only.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, MessageKind kind, const QString& text);

}  // namespace fwu
