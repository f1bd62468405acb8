#pragma once
#include "core/text.h"

namespace zo {

inline constexpr TextView kHostProgIdStem = u"Vexo.Application.";

// "Vexo.Application." followed by units 3 and 4 (counted from 1) of the version box's text,
// fewer when the text is shorter.
[[nodiscard]] Text BuildHostProgId(TextView versionBoxText);

}  // namespace zo
