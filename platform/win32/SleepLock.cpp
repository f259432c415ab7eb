// Holding off sleep on Windows: SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) keeps the
// system awake while the thread that set it lives with that state. The state belongs to a thread, and the
// threads of an upgrade come and go, so each lock gets a thread of its own that sets it, waits until the
// lock is released, clears it and ends. The lock's number names that thread in a table here; there is no
// login manager to ask, so the bus address and time-out are not used.
#include "platform/SleepLock.h"

#include <windows.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Process.h"

namespace fwu::platform {
namespace {

struct Holder {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;      // the thread has set the state (or failed to)
    bool held = false;     // the system took the state
    bool release = false;  // the lock was released: the thread clears the state and ends
    std::thread thread;
};

std::mutex tableMutex;
std::map<int, std::unique_ptr<Holder>>& Table() {
    static std::map<int, std::unique_ptr<Holder>> table;
    return table;
}
int lastNumber = 0;

void Hold(Holder& holder) {
    const bool held = ::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    std::unique_lock<std::mutex> lock(holder.mutex);
    holder.set = true;
    holder.held = held;
    holder.changed.notify_all();
    holder.changed.wait(lock, [&] { return holder.release; });
    if (held) {
        ::SetThreadExecutionState(ES_CONTINUOUS);
    }
}

}  // namespace

void SleepLock::Release() {
    if (fd < 0) {
        return;
    }
    std::unique_ptr<Holder> holder;
    {
        const std::lock_guard<std::mutex> lock(tableMutex);
        const auto found = Table().find(fd);
        if (found != Table().end()) {
            holder = std::move(found->second);
            Table().erase(found);
        }
    }
    fd = -1;
    if (holder) {
        {
            const std::lock_guard<std::mutex> lock(holder->mutex);
            holder->release = true;
        }
        holder->changed.notify_all();
        holder->thread.join();
    }
}

SleepLockTaken TakeSleepLock(const std::string& /*busAddress*/, int /*timeoutMs*/) {
    SleepLockTaken taken;
    auto holder = std::make_unique<Holder>();
    Holder* raw = holder.get();
    if (!StartThread(holder->thread, [raw] { Hold(*raw); })) {
        taken.failure = "no thread could be started to hold the system awake";
        return taken;
    }
    bool held = false;
    {
        std::unique_lock<std::mutex> lock(raw->mutex);
        raw->changed.wait(lock, [&] { return raw->set; });
        held = raw->held;
    }
    if (!held) {
        {
            const std::lock_guard<std::mutex> lock(raw->mutex);
            raw->release = true;
        }
        raw->changed.notify_all();
        raw->thread.join();
        taken.failure = "the system refused to stay awake (error " + std::to_string(::GetLastError()) + ")";
        return taken;
    }
    int number = 0;
    {
        const std::lock_guard<std::mutex> lock(tableMutex);
        number = ++lastNumber;
        Table()[number] = std::move(holder);
    }
    taken.lock = SleepLock(number);
    return taken;
}

}  // namespace fwu::platform
