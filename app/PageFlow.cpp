#include "app/PageFlow.h"

#include "ui/ImageButtons.h"

namespace fwu {

ButtonAction ReleaseAction(int hotButton, PageNumber page, bool busy) {
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
