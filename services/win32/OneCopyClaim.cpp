// The one-copy rule on Windows: a named mutex of the logon session (platform/OneCopy), which the window
// takes by the same name, so the window and the command line keep each other out both ways. A later copy
// is refused by the name alone, so there is nothing to answer while the run goes on.
#include "services/OneCopyClaim.h"

#include <optional>

#include "platform/OneCopy.h"

namespace fwu {

// The mutex's name in the session's namespace; the window's build takes the same one.
constexpr const char* kOneCopyName = "firmware-upgrade-utility";

struct OneCopyClaim::State {
    std::optional<platform::OneCopyPerSession> claim;
};

OneCopyClaim::OneCopyClaim() : state(std::make_unique<State>()) {}

OneCopyClaim::~OneCopyClaim() = default;

bool OneCopyClaim::Claim() {
    if (!state->claim) {
        state->claim.emplace(kOneCopyName);
    }
    // A mutex the system would not make cannot keep the rule: this copy runs, as where no private folder
    // can hold the Linux program's socket.
    return state->claim->Status() != platform::OneCopyStatus::AlreadyRunning;
}

void OneCopyClaim::Serve() {}

void OneCopyClaim::NoteWhere(AttemptLog& /*log*/) {}

}  // namespace fwu
