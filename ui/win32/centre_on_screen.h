#pragma once
// The one way the program centres a window of its own: the message box and the candidate list.
#include <windows.h>

namespace zo {

// Moves `window`, keeping its size, Z order and activation, so that it is centred on the primary
// screen (core/placement's CentredEdge on each axis).
void CentreOnScreen(HWND window) noexcept;

}  // namespace zo
