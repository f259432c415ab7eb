// The one-copy rule as the command line holds it, with no Qt in sight: this build keeps it on the window's
// local socket (SingleInstance), so the window and the command line see each other both ways; a build for
// another system puts its own implementation of this header beside it.
#pragma once

#include <memory>

namespace fwu {

class AttemptLog;

class OneCopyClaim {
public:
    OneCopyClaim();
    ~OneCopyClaim();
    OneCopyClaim(const OneCopyClaim&) = delete;
    OneCopyClaim& operator=(const OneCopyClaim&) = delete;

    // True when no other copy runs for this user; this one then answers later copies (see Serve).
    bool Claim();
    // Answers a later copy that asked meanwhile, without waiting; called often while the run goes on.
    void Serve();
    // Writes to the log where the claim is kept, when it is not where it is kept as a rule.
    static void NoteWhere(AttemptLog& log);

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace fwu
