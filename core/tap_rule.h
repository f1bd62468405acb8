#pragma once
#include <cstdint>

namespace zo {

inline constexpr int kVkShift = 16;
inline constexpr int kVkControl = 17;
inline constexpr int kVkF8 = 119;
inline constexpr int kVkF9 = 120;
inline constexpr int kFirstScannedKey = 32;
inline constexpr int kLastScannedKey = 192;
inline constexpr int kScannedKeyCount = 154;

// Virtual-key codes 32..192 except the sided Shift/Ctrl/Alt block 160..166.
[[nodiscard]] constexpr bool IsScannedKey(int vk) noexcept {
    return vk >= kFirstScannedKey && vk <= kLastScannedKey && !(vk >= 160 && vk <= 166);
}

struct TapFlags {
    bool shiftSeen = false;
    bool ctrlSeen = false;
    bool otherKeySeen = false;
    friend bool operator==(const TapFlags&, const TapFlags&) = default;
};

struct KeySample {
    bool shiftDown = false;
    bool ctrlDown = false;
    bool otherKeyDown = false;
};

enum class Tap { None, Shift, Ctrl };

struct TapOutcome {
    // The flags once this tick's keys are recorded, before a tap fires and clears them. The assist
    // asks the host between the two, and a failed call leaves the tick with these.
    TapFlags recorded;
    // The flags at the end of the tick.
    TapFlags flags;
    Tap fired = Tap::None;
};

// One gated tick of the lone-modifier-tap state machine.
[[nodiscard]] TapOutcome ModifierTapRule(TapFlags flags, KeySample sample) noexcept;

}  // namespace zo
