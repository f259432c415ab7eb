#include "services/RuntimeFolder.h"

#include <cstdio>
#include <cstdlib>

#include "upgrade/AttemptLog.h"

namespace fwu {
namespace {

std::string Octal(std::uint32_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : file.substr(0, slash);
}

}  // namespace

std::string PrivateFolderProblem(const platform::PathFacts& facts, std::uint32_t user) {
    if (!facts.exists) {
        return "it does not exist";
    }
    if (facts.isLink) {
        return "it is a symbolic link";
    }
    if (!facts.isFolder) {
        return "it is not a folder";
    }
    if (facts.owner != user) {
        return "it belongs to another user";
    }
    if ((facts.mode & 077) != 0) {
        return "other users may use it (mode " + Octal(facts.mode) + ")";
    }
    return {};
}

RuntimeFolderChoice ChooseRuntimeFolder(const std::string& runtime, const platform::PathFacts& runtimeFacts,
                                        const std::string& own, const platform::PathFacts& ownFacts,
                                        std::uint32_t user) {
    std::string why;
    if (runtime.empty()) {
        why = "XDG_RUNTIME_DIR is not set";
    } else if (runtime[0] != '/') {
        why = "XDG_RUNTIME_DIR is not an absolute path";
    } else {
        why = PrivateFolderProblem(runtimeFacts, user);
        if (why.empty()) {
            return {runtime, {}};
        }
        why = "XDG_RUNTIME_DIR is not taken: " + why;
    }
    if (own.empty() || own[0] != '/') {
        return {{}, why + "; no folder of the user's own either: one copy per user is not enforced"};
    }
    const std::string ownProblem = PrivateFolderProblem(ownFacts, user);
    if (ownProblem.empty()) {
        return {own, why + "; the single-instance socket is in " + own};
    }
    return {{},
            why + "; " + own + " is not taken either: " + ownProblem + ": one copy per user is not enforced"};
}

RuntimeFolderChoice FindRuntimeFolder() {
    const char* set = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtime = set != nullptr ? set : "";
    const std::uint32_t user = platform::EffectiveUser();
    const platform::PathFacts runtimeFacts = platform::LookAtPath(runtime);
    std::string own;
    platform::PathFacts ownFacts;
    if (runtime.empty() || runtime[0] != '/' || !PrivateFolderProblem(runtimeFacts, user).empty()) {
        own = FolderOf(AttemptLogPath());
        if (!own.empty()) {
            platform::MakePrivateFolders(own);
            ownFacts = platform::LookAtPath(own);
        }
    }
    return ChooseRuntimeFolder(runtime, runtimeFacts, own, ownFacts, user);
}

}  // namespace fwu
