// The wizard's pages and the commands of its two page buttons on each: plain decisions over the page
// number, decided for the wizard (WizardFlow) and the window's buttons.
#pragma once

#include <optional>

namespace fwu {

enum PageNumber : int {
    PAGE_WELCOME = 0,
    PAGE_LOGIN = 1,
    PAGE_VERIFY = 2,
    PAGE_PROGRESS = 3,
    PAGE_DONE = 4,
};

// The page a page change leads to: forward 0->1->2->3->4, back 1->0 and 2->1. Nothing for any other
// change; the buttons never ask for one.
std::optional<PageNumber> PageAfter(PageNumber page, bool back);

// What releasing the left button over a slot does.
enum class ButtonAction {
    None,
    PageForward,        // ChangePage forward
    VerifyThenForward,  // VerifyRouter, and ChangePage forward only when it succeeds
    PageBack,           // ChangePage back
    Retry,              // StartUpgrade again
    EndDialog,          // end the window with the cancel result
};

// The command of slot 1 (Next / Upgrade) on a page.
ButtonAction ForwardAction(PageNumber page);

// The command of slot 2 (Exit / Back / Retry) on a page.
ButtonAction SecondAction(PageNumber page);

}  // namespace fwu
