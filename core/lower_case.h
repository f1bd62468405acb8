#pragma once
#include "core/text.h"

namespace zo {

// The simple lower-case form of a code point (Unicode's one-to-one mapping: Latin, Greek,
// Cyrillic, Armenian, full-width letters and every other script with capitals); a code point
// without one is returned as it is.
[[nodiscard]] char32_t LowerCodePoint(char32_t codePoint) noexcept;

// `text` with every code point lowered, surrogate pairs taken as one code point; a lone
// surrogate stays as it is.
[[nodiscard]] Text LowerText(TextView text);

}  // namespace zo
