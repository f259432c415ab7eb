// A TCP listener on 127.0.0.1 for the HTTP client and upload start tests: it takes connections on an
// ephemeral port and keeps, per connection, every byte received up to the peer's close. In the
// "never read" mode it accepts and then reads nothing, so the peer's sends eventually stall; in the "never
// accept" mode its accept queue fills and further connection attempts go unanswered.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fwu::test {

class LoopbackListener {
public:
    enum class Mode { ReadAll, NeverRead, NeverAccept };

    explicit LoopbackListener(Mode mode = Mode::ReadAll, int backlog = 8);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool Ok() const { return listenSocket >= 0; }
    std::uint16_t Port() const { return port; }

    // Waits up to `ms` until `count` connections have been closed by the peer; returns what each sent,
    // in the order they were accepted.
    std::vector<std::string> WaitForClosed(std::size_t count, int ms);

    // A port on 127.0.0.1 that nothing listens on (bound, then released).
    static std::uint16_t ClosedPort();

private:
    void Serve();

    Mode mode;
    int listenSocket = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> received;  // per accepted connection
    std::size_t closedCount = 0;
    std::vector<int> openSockets;
    std::thread server;
};

}  // namespace fwu::test
