#pragma once
#include <cstdint>

namespace zo {

// The left (or top) edge that centres a window on the primary screen: (screen - window) / 2,
// truncated toward zero, so a window larger than the screen by 99 sits 49 to the left of it.
[[nodiscard]] std::int32_t CentredEdge(std::int32_t screenSize, std::int32_t windowSize) noexcept;

}  // namespace zo
