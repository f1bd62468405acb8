#pragma once
// The user's locale collation, without regard to letter case.
#include "core/text.h"

namespace zo {

// CompareStringEx with the user's default locale, ignoring letter case: <0, 0, >0.
[[nodiscard]] int CompareForUser(TextView a, TextView b);

}  // namespace zo
