#pragma once
#include "core/text.h"

namespace zo {

// The running executable's full path (GetModuleFileNameW with room for 261 units).
[[nodiscard]] Text ExecutablePath();

}  // namespace zo
