// Thread creation without exceptions, the same on every system.
#include <exception>
#include <thread>

#include "platform/Process.h"

namespace fwu::platform {

bool StartThread(std::thread& thread, std::function<void()> work) {
    try {
        thread = std::thread(std::move(work));
        return true;
    } catch (const std::exception&) {
        // std::system_error when the system has no thread to give, std::bad_alloc for its state.
        return false;
    }
}

}  // namespace fwu::platform
