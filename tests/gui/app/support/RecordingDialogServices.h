// Message boxes and pauses of the main window for tests: questions answered from a script, every box
// and every pause recorded, nothing modal and no real wait.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/DialogServices.h"

namespace fwu::testing {

class RecordingDialogServices {
public:
    std::deque<bool> answers;               // the next questions' answers; No when the script has run out
    std::vector<int> questions;             // string ids asked
    std::vector<int> errors;                // string ids shown as errors
    std::vector<std::string> messages;      // plain messages
    std::vector<int> pauses;                // requested pauses in milliseconds
    std::vector<std::string> errorDetails;  // the detail lines of errors shown with one
    std::function<void(int stringId)> onQuestion;  // runs while a question is "on screen", before its answer

    // Hooks that write into this object, which must outlive the window.
    DialogServices Services();
};

}  // namespace fwu::testing
