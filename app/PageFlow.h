// What releasing the left button over one of the window's three image buttons does on each page: a plain
// decision over the slot, the page and the busy flag, so that the window only carries it out.
#pragma once

#include "app/Pages.h"

namespace fwu {

// The command for a left-button release with `hotButton` (0 none, 1 to 3) under the mouse. Every release
// is ignored while an upload runs; slot 1 is the blank plate on the progress and success pages.
ButtonAction ReleaseAction(int hotButton, PageNumber page, bool busy);

}  // namespace fwu
