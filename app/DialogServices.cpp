#include "app/DialogServices.h"

#include <chrono>
#include <thread>

#include "res/StringTable.h"
#include "ui/Latin1.h"

namespace fwu {
namespace {

QString TableText(int stringId) {
    return Latin1(LoadString(stringId));
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

DialogServices SystemDialogServices() {
    DialogServices hooks;
    hooks.askYesNo = [](QWidget* owner, int stringId) {
        return MakeMessageBox(owner, MessageKind::Question, TableText(stringId))->exec() == QMessageBox::Yes;
    };
    hooks.showError = [](QWidget* owner, int stringId) {
        MakeMessageBox(owner, MessageKind::Error, TableText(stringId))->exec();
    };
    hooks.showMessage = [](QWidget* owner, const std::string& text) {
        MakeMessageBox(owner, MessageKind::Plain, Latin1(text))->exec();
    };
    hooks.pause = [](int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    };
    hooks.showErrorDetail = [](QWidget* owner, int stringId, const std::string& detail) {
        MakeMessageBox(owner, MessageKind::Error,
                       TableText(stringId) + QStringLiteral("\n\n") + Latin1(detail))
            ->exec();
    };
    return hooks;
}

DialogServices WithSystemFallbacks(DialogServices hooks) {
    const DialogServices system = SystemDialogServices();
    // Whoever replaced the error box without giving its detailed form gets every error through theirs.
    if (!hooks.showErrorDetail && hooks.showError) {
        hooks.showErrorDetail = [showError = hooks.showError](QWidget* owner, int stringId,
                                                              const std::string&) {
            showError(owner, stringId);
        };
    }
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
    if (!hooks.showErrorDetail) {
        hooks.showErrorDetail = system.showErrorDetail;
    }
    return hooks;
}

}  // namespace fwu
