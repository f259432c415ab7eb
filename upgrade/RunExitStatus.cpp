#include "upgrade/RunExitStatus.h"

namespace fwu {

bool Disproves(ConfirmationState state) {
    return state == ConfirmationState::OtherVersion || state == ConfirmationState::NotBack;
}

LastUpgrade AfterWatch(std::optional<ConfirmationState> end) {
    return end && Disproves(*end) ? LastUpgrade::Disproved : LastUpgrade::Done;
}

int RunExitStatus(LastUpgrade last) {
    return last == LastUpgrade::Failed || last == LastUpgrade::Disproved ? 1 : 0;
}

}  // namespace fwu
