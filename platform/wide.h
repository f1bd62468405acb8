#pragma once
// zo::Text and wchar_t strings are both UTF-16 on Windows, so the conversions are plain copies.
#include <string>
#include <string_view>

#include "core/text.h"

namespace zo {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows keeps wchar_t as UTF-16 units");

[[nodiscard]] inline std::wstring ToWide(TextView text) { return std::wstring(text.begin(), text.end()); }
[[nodiscard]] inline Text FromWide(std::wstring_view text) { return Text(text.begin(), text.end()); }

}  // namespace zo
