#include "core/placement.h"

namespace zo {

std::int32_t CentredEdge(std::int32_t screenSize, std::int32_t windowSize) noexcept {
    // Widened so extreme sizes cannot overflow; C++ division truncates toward zero (-99 / 2 == -49).
    return static_cast<std::int32_t>((static_cast<std::int64_t>(screenSize) - windowSize) / 2);
}

}  // namespace zo
