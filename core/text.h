#pragma once
// UTF-16 text as the desktop keeps it. core/ never sees wchar_t, so the same rules build on
// Linux (32-bit wchar_t) and Windows (16-bit wchar_t).
#include <cstddef>
#include <string>
#include <string_view>

namespace zo {

using Text = std::u16string;
using TextView = std::u16string_view;

// True when `prefix` is non-empty and its first occurrence in `text` starts at the first unit.
[[nodiscard]] bool BeginsWith(TextView text, TextView prefix) noexcept;

// Position (counted from 1) of the first occurrence of `what` in `text`; 0 when it does not
// occur or `what` is empty.
[[nodiscard]] std::size_t PositionOf(TextView text, TextView what) noexcept;

// The lower-case form of a unit: ASCII and Latin-1 capitals map to their small letters, every
// other unit is returned as it is. Enough for file names and drawing names compared in core.
[[nodiscard]] char16_t LowerUnit(char16_t unit) noexcept;

// Lossless conversions for logs, exception what() and tests. Invalid input is replaced by U+FFFD.
[[nodiscard]] std::string ToUtf8(TextView text);
[[nodiscard]] Text FromUtf8(std::string_view text);

}  // namespace zo
