#pragma once
// What a key pressed in the candidate list means to its rule.
#include <cstdint>

#include "core/candidate_list_rule.h"

namespace zo {

inline constexpr std::uint16_t kVirtualKeyReturn = 13;
inline constexpr std::uint16_t kVirtualKeyEscape = 27;

// The event a key down in the list is, by its 16-bit virtual-key code.
[[nodiscard]] ListEvent KeyDownEvent(std::uint16_t virtualKey) noexcept;

}  // namespace zo
