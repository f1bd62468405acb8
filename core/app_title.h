#pragma once
#include "core/text.h"

namespace zo {

// The application title from the executable's file name: the name up to its first ".", every
// character after the first in lower case, in any script ("ZO24_RAZ.exe" gives "Zo24_raz").
[[nodiscard]] Text ApplicationTitle(TextView exeFileName);

// The text of the error box: a full stop is appended when the last unit's code is above that
// of the full stop (46).
[[nodiscard]] Text ErrorBoxText(TextView errorText);

}  // namespace zo
