#include "wizard/Pages.h"

namespace fwu {

std::optional<PageNumber> PageAfter(PageNumber page, bool back) {
    if (back) {
        if (page == PAGE_LOGIN || page == PAGE_VERIFY) {
            return static_cast<PageNumber>(page - 1);
        }
        return std::nullopt;
    }
    if (page >= PAGE_WELCOME && page < PAGE_DONE) {
        return static_cast<PageNumber>(page + 1);
    }
    return std::nullopt;
}

ButtonAction ForwardAction(PageNumber page) {
    switch (page) {
        case PAGE_WELCOME:
            return ButtonAction::PageForward;
        case PAGE_LOGIN:
            return ButtonAction::VerifyThenForward;
        case PAGE_VERIFY:
            return ButtonAction::PageForward;  // entering the progress page starts the upgrade
        default:
            return ButtonAction::None;
    }
}

ButtonAction SecondAction(PageNumber page) {
    switch (page) {
        case PAGE_WELCOME:
        case PAGE_DONE:
            return ButtonAction::EndDialog;
        case PAGE_LOGIN:
        case PAGE_VERIFY:
            return ButtonAction::PageBack;
        case PAGE_PROGRESS:
            return ButtonAction::Retry;
        default:
            return ButtonAction::None;
    }
}

}  // namespace fwu
