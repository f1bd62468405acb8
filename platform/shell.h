#pragma once
#include <windows.h>

#include "core/file_existence.h"

namespace zo {

// The file system as the file existence test sees it: the entry's attributes, and for a link
// what opening it for reading finds.
class Win32FileSystemView final : public FileSystemView {
  public:
    [[nodiscard]] PathEntry Entry(TextView path) override;
    [[nodiscard]] LinkTarget Target(TextView path) override;
};

// The file existence test of start-up and ACT, on the real file system.
[[nodiscard]] bool IsExistingFile(TextView path);

// ShellExecuteW "open" with SW_SHOWNORMAL; whether it started is not looked at.
void ShellOpenFile(HWND owner, TextView path);

}  // namespace zo
