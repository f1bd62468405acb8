#pragma once
#include <windows.h>

#include "core/text.h"

namespace zo {

// An existing file that is not a folder. A file another program holds open without sharing
// still exists, although its attributes may be unreadable.
[[nodiscard]] bool IsExistingFile(TextView path);

// ShellExecuteW "open" with SW_SHOWNORMAL; whether it started is not looked at.
void ShellOpenFile(HWND owner, TextView path);

}  // namespace zo
