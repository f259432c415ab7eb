#include "PacingFloor.h"

#include <chrono>
#include <thread>
#include <vector>

#include "platform/ProcessStats.h"
#include "platform/Sleep.h"
#include "platform/Socket.h"

namespace fwu::bench {
namespace {

constexpr platform::Ipv4Address kLoopback{127, 0, 0, 1};
constexpr int kWaitMs = 10'000;

}  // namespace

PacingFloor MeasurePacingFloor(int pieces, std::uint32_t pieceSize, int pauseMs) {
    PacingFloor floor;
    platform::SocketHandle listener = platform::OpenListeningSocket(kLoopback, 0);
    platform::SocketHandle sender = platform::OpenSocket(platform::SocketKind::Stream);
    if (listener == platform::kInvalidSocket || sender == platform::kInvalidSocket) {
        floor.failure = "no loopback sockets";
    }
    // The receiving end reads everything, as the router would; its thread's time is not counted.
    std::thread sink([&listener] {
        platform::SocketHandle accepted = platform::AcceptWithTimeout(listener, kWaitMs);
        std::vector<char> buffer(64 * 1024);
        while (platform::ReceiveSome(accepted, buffer.data(), buffer.size(), kWaitMs) > 0) {
        }
        platform::CloseSocket(accepted);
    });
    if (floor.failure == nullptr &&
        !platform::ConnectWithTimeout(sender, kLoopback, platform::LocalPort(listener), kWaitMs)) {
        floor.failure = "no loopback connection";
    }
    // The sender gets a thread of its own, as the upload's worker has: the pauses lower the timer slack of
    // the thread that makes them.
    std::thread paced([&] {
        const std::vector<char> piece(pieceSize, 'x');
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = platform::CurrentThreadCpuMs();
        for (int i = 0; i < pieces && floor.failure == nullptr; ++i) {
            platform::SleepPrecisely(pauseMs);
            if (!platform::SendAll(sender, piece.data(), piece.size(), kWaitMs)) {
                floor.failure = "a loopback send failed";
            }
        }
        floor.cpuMs = platform::CurrentThreadCpuMs() - cpuStart;
        floor.wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    });
    paced.join();
    platform::CloseSocket(sender);
    sink.join();
    platform::CloseSocket(listener);
    return floor;
}

}  // namespace fwu::bench
