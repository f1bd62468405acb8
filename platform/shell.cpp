#include "platform/shell.h"

#include <shellapi.h>

#include "platform/unique_handle.h"
#include "platform/wide.h"

namespace zo {
namespace {

PathEntry EntryOf(DWORD attributes) {
    return {PathEntry::State::Present, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

}  // namespace

PathEntry Win32FileSystemView::Entry(TextView path) {
    const std::wstring wide = ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return EntryOf(attributes);
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return {};
    // A file held open without sharing (a paging file, say) refuses its attributes; its
    // directory entry still answers.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {PathEntry::State::Refused, false, false};
    ::FindClose(search);
    return EntryOf(found.dwFileAttributes);
}

LinkTarget Win32FileSystemView::Target(TextView path) {
    const std::wstring wide = ToWide(path);
    // Opening follows the link; backup semantics let a folder open too, so it can be told apart.
    const HANDLE opened =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
                return LinkTarget::Locked;
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_CANT_RESOLVE_FILENAME:  // a loop of links
            case ERROR_INVALID_NAME:
                return LinkTarget::Missing;
            default:
                return LinkTarget::Refused;
        }
    }
    const UniqueKernelHandle file(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileInformationByHandle(file.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return LinkTarget::Folder;
    }
    return LinkTarget::File;
}

bool IsExistingFile(TextView path) {
    Win32FileSystemView files;
    return IsExistingFile(files, path);
}

void ShellOpenFile(HWND owner, TextView path) {
    const std::wstring wide = ToWide(path);
    ::ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zo
