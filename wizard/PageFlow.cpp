#include "wizard/PageFlow.h"

namespace fwu {

ButtonAction ReleaseAction(FaceSlot hotButton, PageNumber page, bool busy) {
    if (busy) {
        return ButtonAction::None;
    }
    switch (hotButton) {
        case FaceSlot::Forward:
            return page == PAGE_PROGRESS || page == PAGE_DONE ? ButtonAction::None : ForwardAction(page);
        case FaceSlot::Second:
            return SecondAction(page);
        case FaceSlot::Close:
            return ButtonAction::EndDialog;
        case FaceSlot::None:
            break;
    }
    return ButtonAction::None;
}

}  // namespace fwu
