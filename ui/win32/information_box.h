#pragma once
#include <windows.h>

#include "core/text.h"

namespace zo {

// The information box: the text, no icon, OK, the application title, modal to `owner` and
// centred on the primary screen rather than on the owner.
void ShowCentredInformation(HWND owner, TextView text);

}  // namespace zo
