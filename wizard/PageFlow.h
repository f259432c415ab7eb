// What releasing the left button over one of the window's three image buttons does on each page: a plain
// decision over the slot, the page and the busy flag, so that the window only carries it out.
#pragma once

#include "wizard/FaceSlot.h"
#include "wizard/Pages.h"

namespace fwu {

// The command for a left-button release with `hotButton` under the mouse (None: no slot). Every release
// is ignored while an upload runs; BTN_FORWARD is the blank plate on the progress and success pages.
ButtonAction ReleaseAction(FaceSlot hotButton, PageNumber page, bool busy);

}  // namespace fwu
