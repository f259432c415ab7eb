// The face's three image button slots by name: Forward (Next or Upgrade, the blank plate on the last two
// pages), Second (Back, Retry or Exit) and Close (the close cross), and None where no slot is meant (the
// mouse over the bare face, a letter that presses nothing).
#pragma once

#include <array>
#include <cstddef>

namespace fwu {

enum class FaceSlot { None = 0, Forward = 1, Second = 2, Close = 3 };

// The names the window's design gives the three slots.
inline constexpr FaceSlot BTN_FORWARD = FaceSlot::Forward;
inline constexpr FaceSlot BTN_SECOND = FaceSlot::Second;
inline constexpr FaceSlot BTN_CLOSE = FaceSlot::Close;

// The three slots in their order: the hit test's, the tab order's and that of every per-slot array.
inline constexpr std::array<FaceSlot, 3> kFaceSlots{BTN_FORWARD, BTN_SECOND, BTN_CLOSE};

// Where one of the three slots stands in a per-slot array (the picture sets, the plates): 0, 1 or 2.
// Not for None.
constexpr std::size_t SlotIndex(FaceSlot slot) {
    return static_cast<std::size_t>(slot) - 1;
}

}  // namespace fwu
