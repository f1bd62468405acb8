#include "platform/profile.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/unique_handle.h"
#include "platform/wide.h"

namespace zo {
namespace {

// A settings file is a few hundred bytes; anything this large is not one to rewrite.
constexpr LONGLONG kLargestRewrittenFile = 16LL * 1024 * 1024;

UniqueKernelHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

// ---- the profile functions ------------------------------------------------------------------

Win32ProfileFunctions::Win32ProfileFunctions(Text path) : path_(std::move(path)) {}

Text Win32ProfileFunctions::ReadString(TextView key, TextView defaultText) {
    const std::wstring section = ToWide(kSettingsSection);
    const std::wstring wideKey = ToWide(key);
    const std::wstring wideDefault = ToWide(defaultText);
    const std::wstring file = ToWide(path_);
    std::vector<wchar_t> buffer(kProfileValueBufferUnits, L'\0');
    const DWORD length =
        ::GetPrivateProfileStringW(section.c_str(), wideKey.c_str(), wideDefault.c_str(), buffer.data(),
                                   static_cast<DWORD>(buffer.size()), file.c_str());
    return FromWide(std::wstring_view(buffer.data(), length));
}

bool Win32ProfileFunctions::WriteString(TextView key, TextView value) {
    if (FaultAsked("profile-write")) return false;
    const std::wstring section = ToWide(kSettingsSection);
    const std::wstring wideKey = ToWide(key);
    const std::wstring wideValue = ToWide(value);  // an empty value stays an empty text, never null
    const std::wstring file = ToWide(path_);
    return ::WritePrivateProfileStringW(section.c_str(), wideKey.c_str(), wideValue.c_str(), file.c_str()) !=
           FALSE;
}

// ---- the file as bytes ----------------------------------------------------------------------

Win32SettingsFileBytes::Win32SettingsFileBytes(Text path) : path_(ToWide(path)) {}

SettingsFileBytes::Contents Win32SettingsFileBytes::Read() {
    const UniqueKernelHandle file =
        OpenFile(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? Contents::State::Missing : Contents::State::Unreadable, {}};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestRewrittenFile) {
        return {Contents::State::Unreadable, {}};
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read,
                        nullptr)) {
            return {Contents::State::Unreadable, {}};
        }
        if (read == 0) break;
        filled += read;
    }
    bytes.resize(filled);
    return {Contents::State::Read, std::move(bytes)};
}

bool Win32SettingsFileBytes::CreateNew(std::string_view bytes) {
    bool written = false;
    {
        const UniqueKernelHandle file = OpenFile(path_, GENERIC_WRITE, 0, CREATE_NEW);
        if (!file) return false;
        written = WriteAll(file.get(), bytes);
    }
    if (!written) ::DeleteFileW(path_.c_str());
    return written;
}

SettingsFileBytes::Overwritten Win32SettingsFileBytes::Overwrite(std::string_view bytes) {
    // In place, so that the file keeps its permissions, attributes and links; sharing reading and
    // writing, so that a program that has the file open and shares both does not stop it.
    const UniqueKernelHandle file =
        OpenFile(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) return Overwritten::No;
    // Test builds: the first rewrite of the run stops halfway, as on a full disk.
    static bool tearAsked = FaultAsked("settings-overwrite");
    if (tearAsked) {
        tearAsked = false;
        static_cast<void>(WriteAll(file.get(), bytes.substr(0, bytes.size() / 2)));
        return Overwritten::Torn;
    }
    if (!WriteAll(file.get(), bytes) || !::SetEndOfFile(file.get())) return Overwritten::Torn;
    return Overwritten::Yes;
}

void Win32SettingsFileBytes::Remove() { ::DeleteFileW(path_.c_str()); }

// ---- the ANSI code page ---------------------------------------------------------------------

std::optional<Text> Win32AnsiCodePage::Decode(std::string_view bytes) {
    if (bytes.empty()) return Text{};
    const auto length = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (units <= 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(), units) !=
        units) {
        return std::nullopt;
    }
    return FromWide(text);
}

std::string Win32AnsiCodePage::Encode(TextView text) {
    if (text.empty()) return {};
    const std::wstring wide = ToWide(text);
    const auto length = static_cast<int>(wide.size());
    // UTF-8 as the ANSI code page refuses the flag; it has no look-alikes anyway.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string encoded(static_cast<std::size_t>(bytes), '\0');
    const int done =
        ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, encoded.data(), bytes, nullptr, nullptr);
    encoded.resize(done > 0 ? static_cast<std::size_t>(done) : 0);
    return encoded;
}

bool Win32AnsiCodePage::Represents(TextView text) {
    if (text.empty()) return true;
    // With UTF-8 as the ANSI code page every character has its code (and the conversion would
    // refuse the flags below).
    if (::GetACP() == CP_UTF8) return true;
    const std::wstring wide = ToWide(text);
    const auto length = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                            nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    BOOL usedDefault = FALSE;
    const int done = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                           converted.data(), bytes, nullptr, &usedDefault);
    return done > 0 && !usedDefault;
}

// ---- the store ------------------------------------------------------------------------------

Win32ProfileStore::Win32ProfileStore(Text path)
    : functions_(path), file_(path), lossless_(functions_, file_, codePage_) {}

Text Win32ProfileStore::ReadString(TextView key, TextView defaultText) {
    return lossless_.ReadString(key, defaultText);
}

bool Win32ProfileStore::WriteString(TextView key, TextView value) {
    return lossless_.WriteString(key, value);
}

}  // namespace zo
