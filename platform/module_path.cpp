#include "platform/module_path.h"

#include <windows.h>

#include "platform/wide.h"

namespace zo {
namespace {

constexpr DWORD kModulePathUnits = 261;

}  // namespace

Text ExecutablePath() {
    wchar_t buffer[kModulePathUnits] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, kModulePathUnits);
    return FromWide(std::wstring_view(buffer, length < kModulePathUnits ? length : kModulePathUnits - 1));
}

}  // namespace zo
