#include "platform/shell.h"

#include <shellapi.h>

#include "platform/wide.h"

namespace zo {

bool IsExistingFile(TextView path) {
    if (path.empty()) return false;
    const std::wstring wide = ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return false;
    // A locked file (a paging file, say) refuses GetFileAttributes; its directory entry still answers.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    ::FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ShellOpenFile(HWND owner, TextView path) {
    const std::wstring wide = ToWide(path);
    ::ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zo
