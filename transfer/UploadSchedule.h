// The pacing of the upload and the timing of the wait while the router writes its flash: how big the
// pieces are, how long each pause lasts, how many bytes make one percent, how the wait delay shrinks
// once the router has fallen silent, and how long it must stay silent to count as restarting.
#pragma once

#include <algorithm>
#include <cstdint>

namespace fwu {

inline constexpr std::uint32_t kUploadPieceSize = 1'260;
inline constexpr int kPiecePauseMs = 5;
inline constexpr int kSettlePauseMs = 1'000;
inline constexpr int kWaitDelayStartMs = 1'000;
inline constexpr int kWaitDelayStepMs = 30;
inline constexpr int kWaitDelayFloorMs = 100;
inline constexpr int kMaxPercent = 100;
// The router counts as restarting only once it has left every probe unanswered for this long in a row:
// a single lost reply (a busy router, a radio link) is no restart.
inline constexpr int kSilenceForRestartMs = 10'000;
// When the wait's cycles are over while a silence is still shorter than that, probing goes on for at
// most this long more; so many probes at most, in case the clock does not move.
inline constexpr int kSilenceOvertimeMs = 30'000;
inline constexpr int kMaxOvertimeProbes = kSilenceOvertimeMs / kWaitDelayFloorMs;

// The whole body goes out within this long, or the transfer ends as too slow: ten minutes, and ten
// times the pieces' own pauses for an image so big that they alone come near it (a router that reads
// slowly would otherwise hold the window for the better part of an hour at 30 s per piece).
inline constexpr std::int64_t kTransferFloorMs = 10 * 60 * 1000;
constexpr std::int64_t TransferDeadlineMs(std::uint32_t imageSize) {
    const std::int64_t pauses = (std::int64_t{imageSize} / kUploadPieceSize + 1) * kPiecePauseMs;
    return std::max(kTransferFloorMs, 10 * pauses);
}

// The percent of the image the router has taken: `bytes` of it, at `percentStep` bytes a percent.
constexpr int ReachedPercent(std::uint64_t bytes, std::uint32_t percentStep) {
    return static_cast<int>(
        std::min<std::uint64_t>(bytes / std::max<std::uint32_t>(percentStep, 1), kMaxPercent));
}

// Bytes per percent of the image; at least 1, so an image under 100 bytes still has a step.
constexpr std::uint32_t PercentStep(std::uint32_t imageSize) {
    return std::max<std::uint32_t>(imageSize / 100, 1);
}

// The delay of the next wait cycle after one of `delayMs`: 30 ms shorter, never below the floor.
constexpr int NextWaitDelay(int delayMs) {
    return delayMs > kWaitDelayFloorMs ? std::max(delayMs - kWaitDelayStepMs, kWaitDelayFloorMs)
                                       : kWaitDelayFloorMs;
}

// The number of wait cycles: one per percent of the image sent in full pieces, plus one.
constexpr std::uint32_t FlashWaitCycles(std::uint32_t fullPieceBytes, std::uint32_t percentStep) {
    return fullPieceBytes / percentStep + 1;
}

// What the window's progress shows for a count of steps: the bar never goes past 100.
constexpr int ShownPercent(std::uint32_t steps) {
    return static_cast<int>(std::min<std::uint32_t>(steps, kMaxPercent));
}

}  // namespace fwu
