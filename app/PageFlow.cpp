#include "app/PageFlow.h"

#include "ui/ImageButtons.h"

namespace fwu {

std::optional<int> PageAfter(int page, bool back) {
    if (back) {
        if (page == PAGE_LOGIN || page == PAGE_VERIFY) {
            return page - 1;
        }
        return std::nullopt;
    }
    if (page >= PAGE_WELCOME && page < PAGE_DONE) {
        return page + 1;
    }
    return std::nullopt;
}

ButtonAction ForwardAction(int page) {
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

ButtonAction SecondAction(int page) {
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

ButtonAction ReleaseAction(int hotButton, int page, bool busy) {
    if (busy) {
        return ButtonAction::None;
    }
    switch (hotButton) {
        case BTN_FORWARD:
            return page == PAGE_PROGRESS || page == PAGE_DONE ? ButtonAction::None : ForwardAction(page);
        case BTN_SECOND:
            return SecondAction(page);
        case BTN_CLOSE:
            return ButtonAction::EndDialog;
        default:
            return ButtonAction::None;
    }
}

}  // namespace fwu
