#include "platform/profile.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/unique_handle.h"
#include "platform/wide.h"

namespace zo {
namespace {

constexpr DWORD kModulePathUnits = 261;

}  // namespace

Win32ProfileStore::Win32ProfileStore(Text path) : path_(std::move(path)) {}

Text Win32ProfileStore::ReadString(TextView key, TextView defaultText) {
    const std::wstring section = ToWide(kSettingsSection);
    const std::wstring wideKey = ToWide(key);
    const std::wstring wideDefault = ToWide(defaultText);
    const std::wstring file = ToWide(path_);
    std::vector<wchar_t> buffer(kProfileValueBufferUnits, L'\0');
    const DWORD length = ::GetPrivateProfileStringW(section.c_str(), wideKey.c_str(), wideDefault.c_str(),
                                                    buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    file.c_str());
    return FromWide(std::wstring_view(buffer.data(), length));
}

bool Win32ProfileStore::WriteString(TextView key, TextView value) {
    CreateUnicodeFileIfMissing();
    const std::wstring section = ToWide(kSettingsSection);
    const std::wstring wideKey = ToWide(key);
    const std::wstring wideValue = ToWide(value);  // an empty value stays an empty text, never null
    const std::wstring file = ToWide(path_);
    return ::WritePrivateProfileStringW(section.c_str(), wideKey.c_str(), wideValue.c_str(), file.c_str()) !=
           FALSE;
}

void Win32ProfileStore::CreateUnicodeFileIfMissing() {
    if (std::exchange(fileChecked_, true)) return;
    // The profile functions write a file they create in the ANSI code page, which turns a
    // registered path with Japanese characters into question marks. A file that already starts
    // with the UTF-16LE byte-order mark is kept in UTF-16, so create it that way. CREATE_NEW
    // leaves an existing file, and its encoding, alone.
    const std::wstring file = ToWide(path_);
    const HANDLE created = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return;  // exists already, or the write below reports the failure
    const UniqueKernelHandle handle(created);
    static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    ::WriteFile(handle.get(), kByteOrderMark, sizeof kByteOrderMark, &written, nullptr);
}

Text ExecutablePath() {
    wchar_t buffer[kModulePathUnits] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, kModulePathUnits);
    return FromWide(std::wstring_view(buffer, length < kModulePathUnits ? length : kModulePathUnits - 1));
}

std::int32_t PrimaryScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
std::int32_t PrimaryScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

}  // namespace zo
