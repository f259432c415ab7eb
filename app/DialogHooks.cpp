#include "app/DialogHooks.h"

#include <chrono>
#include <thread>

#include "res/StringTable.h"

namespace fwu {
namespace {

QString TableText(int stringId) {
    const std::string_view text = LoadString(stringId);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, MessageKind kind, const QString& text) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(TableText(IDS_APP_TITLE));
    box->setText(text);
    box->setTextFormat(Qt::PlainText);
    switch (kind) {
        case MessageKind::Question:
            box->setIcon(QMessageBox::Question);
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box->setDefaultButton(QMessageBox::Yes);
            box->setEscapeButton(QMessageBox::No);
            break;
        case MessageKind::Error:
            box->setIcon(QMessageBox::Critical);
            box->setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::Plain:
            box->setIcon(QMessageBox::NoIcon);
            box->setStandardButtons(QMessageBox::Ok);
            break;
    }
    return box;
}

DialogHooks SystemDialogHooks() {
    DialogHooks hooks;
    hooks.askYesNo = [](QWidget* owner, int stringId) {
        return MakeMessageBox(owner, MessageKind::Question, TableText(stringId))->exec() == QMessageBox::Yes;
    };
    hooks.showError = [](QWidget* owner, int stringId) {
        MakeMessageBox(owner, MessageKind::Error, TableText(stringId))->exec();
    };
    hooks.showMessage = [](QWidget* owner, const std::string& text) {
        MakeMessageBox(owner, MessageKind::Plain,
                       QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())))
            ->exec();
    };
    hooks.pause = [](int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    };
    return hooks;
}

DialogHooks WithSystemFallbacks(DialogHooks hooks) {
    const DialogHooks system = SystemDialogHooks();
    if (!hooks.askYesNo) {
        hooks.askYesNo = system.askYesNo;
    }
    if (!hooks.showError) {
        hooks.showError = system.showError;
    }
    if (!hooks.showMessage) {
        hooks.showMessage = system.showMessage;
    }
    if (!hooks.pause) {
        hooks.pause = system.pause;
    }
    return hooks;
}

}  // namespace fwu
