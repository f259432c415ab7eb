#include "LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>

namespace fwu::test {
namespace {

int BindLoopback(std::uint16_t& port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(s);
        return -1;
    }
    port = ntohs(address.sin_port);
    return s;
}

}  // namespace

LoopbackListener::LoopbackListener(Mode m, int backlog) : mode(m) {
    listenSocket = BindLoopback(port);
    if (listenSocket >= 0 && ::listen(listenSocket, backlog) != 0) {
        ::close(listenSocket);
        listenSocket = -1;
    }
    if (listenSocket >= 0) {
        server = std::thread([this] { Serve(); });
    }
}

LoopbackListener::~LoopbackListener() {
    stopping = true;
    if (server.joinable()) {
        server.join();
    }
    for (int s : openSockets) {
        ::close(s);
    }
    if (listenSocket >= 0) {
        ::close(listenSocket);
    }
}

std::uint16_t LoopbackListener::ClosedPort() {
    std::uint16_t port = 0;
    const int s = BindLoopback(port);
    if (s >= 0) {
        ::close(s);
    }
    return port;
}

std::vector<std::string> LoopbackListener::WaitForClosed(std::size_t count, int ms) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return closedCount >= count; });
    return received;
}

void LoopbackListener::Serve() {
    // One poll loop over the listening socket and every open connection, woken often to see `stopping`.
    std::vector<int> readers;
    std::vector<std::size_t> slots;
    while (!stopping) {
        std::vector<pollfd> entries{
            {listenSocket, static_cast<short>(mode == Mode::NeverAccept ? 0 : POLLIN), 0}};
        for (int s : readers) {
            entries.push_back({s, POLLIN, 0});
        }
        if (::poll(entries.data(), entries.size(), 20) <= 0) {
            continue;
        }
        for (std::size_t i = readers.size(); i-- > 0;) {
            if ((entries[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[65536];
            const ssize_t n = ::recv(readers[i], buffer, sizeof buffer, 0);
            std::lock_guard lock(mutex);
            if (n > 0) {
                received[slots[i]].append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            ++closedCount;
            readers.erase(readers.begin() + static_cast<std::ptrdiff_t>(i));
            slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(i));
            changed.notify_all();
        }
        if (mode != Mode::NeverAccept && (entries[0].revents & POLLIN)) {
            const int s = ::accept4(listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
            if (s >= 0) {
                std::lock_guard lock(mutex);
                openSockets.push_back(s);
                received.emplace_back();
                if (mode == Mode::ReadAll) {
                    readers.push_back(s);
                    slots.push_back(received.size() - 1);
                }
            }
        }
    }
}

}  // namespace fwu::test
