#pragma once
#include <windows.h>

#include "core/error.h"

namespace zo {

// The system's own text for a Win32 error code, without the trailing line break.
[[nodiscard]] Text SystemMessageText(DWORD code);

// An Error carrying `what`, the system's text for `code` and the code as an HRESULT.
[[nodiscard]] Error LastError(TextView what, DWORD code = ::GetLastError());

}  // namespace zo
