#pragma once
#include <functional>

#include "core/text.h"

namespace zo {

// Locale-aware comparison without regard to letter case: <0, 0, >0. The Win32 side passes the
// user's locale collation; tests pass a plain one.
using TextCompare = std::function<int(TextView, TextView)>;

// A simple case-insensitive comparison (ASCII and Latin-1 letters folded), for tests and fallbacks.
[[nodiscard]] int CompareIgnoringCase(TextView a, TextView b);

}  // namespace zo
