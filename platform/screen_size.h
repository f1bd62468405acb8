#pragma once
#include <cstdint>

namespace zo {

// The primary screen's size in pixels.
[[nodiscard]] std::int32_t PrimaryScreenWidth();
[[nodiscard]] std::int32_t PrimaryScreenHeight();

}  // namespace zo
