#include "services/OneCopyClaim.h"

#include <QCoreApplication>

#include "services/SingleInstance.h"

namespace fwu {

// The local server answers through Qt's events, which need an application object: the command line has
// none of its own, so one is made here when none exists.
struct OneCopyClaim::State {
    int argc = 1;
    char name[25] = "firmware-upgrade-utility";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    std::unique_ptr<SingleInstance> instance;
};

OneCopyClaim::OneCopyClaim() : state(std::make_unique<State>()) {
    if (QCoreApplication::instance() == nullptr) {
        state->application = std::make_unique<QCoreApplication>(state->argc, state->argv);
    }
    state->instance = std::make_unique<SingleInstance>();
}

OneCopyClaim::~OneCopyClaim() {
    state->instance.reset();  // before the application object
}

bool OneCopyClaim::Claim() {
    return state->instance->Claim();
}

void OneCopyClaim::Serve() {
    QCoreApplication::processEvents();
}

void OneCopyClaim::NoteWhere(AttemptLog& log) {
    LogRuntimeFolderNote(&log);
}

}  // namespace fwu
