#pragma once
#include "core/text.h"

namespace zo {

// The title of every box the program shows, from its own executable's file name.
[[nodiscard]] Text ApplicationTitleText();

}  // namespace zo
