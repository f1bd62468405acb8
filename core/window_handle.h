#pragma once
// Window handles as core/ and the handlers hold them: opaque integers, free of the platform.
#include <cstdint>

namespace zo {

// A top-level window handle as an integer; 0 is the null window.
using WindowHandle = std::uint64_t;
inline constexpr WindowHandle kNoWindow = 0;

}  // namespace zo
