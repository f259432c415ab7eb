#include "tests/gui/app/support/RecordingDialogServices.h"

namespace fwu::testing {

DialogServices RecordingDialogServices::Services() {
    DialogServices hooks;
    hooks.askYesNo = [this](QWidget*, int stringId) {
        questions.push_back(stringId);
        if (onQuestion) {
            onQuestion(stringId);
        }
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    };
    hooks.showError = [this](QWidget*, int stringId) { errors.push_back(stringId); };
    hooks.showMessage = [this](QWidget*, const std::string& text) { messages.push_back(text); };
    hooks.pause = [this](int milliseconds) { pauses.push_back(milliseconds); };
    hooks.showErrorDetail = [this](QWidget*, int stringId, const std::string& detail) {
        errors.push_back(stringId);
        errorDetails.push_back(detail);
    };

    return hooks;
}

}  // namespace fwu::testing
