// One copy of the program per user on Windows: a named mutex in the session's own namespace ("Local\"),
// which every process of this logon session sees and which the system releases when its holder ends,
// however it ends. (The Linux program keeps its rule with a local socket in services/.)
#pragma once

#include <string>

namespace fwu::platform {

enum class OneCopyStatus {
    First,           // this process holds the name now
    AlreadyRunning,  // another process of this session holds it
    Failed,          // the system made no mutex (the reason is in `failure`)
};

class OneCopyPerSession {
public:
    // Takes the mutex "Local\<name>"; the name must not hold a backslash.
    explicit OneCopyPerSession(const std::string& name);
    ~OneCopyPerSession();  // lets the name go
    OneCopyPerSession(const OneCopyPerSession&) = delete;
    OneCopyPerSession& operator=(const OneCopyPerSession&) = delete;

    OneCopyStatus Status() const { return status; }
    const std::string& Failure() const { return failure; }

private:
    void* mutex = nullptr;
    OneCopyStatus status = OneCopyStatus::Failed;
    std::string failure;
};

}  // namespace fwu::platform
