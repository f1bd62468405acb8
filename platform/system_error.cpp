#include "platform/system_error.h"

#include "platform/wide.h"

namespace zo {

Text SystemMessageText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return FromWide(text);
}

Error LastError(TextView what, DWORD code) {
    Text text(what);
    const Text system = SystemMessageText(code);
    if (!system.empty()) text += u": " + system;
    return Error(std::move(text), static_cast<std::int32_t>(HRESULT_FROM_WIN32(code)));
}

}  // namespace zo
