#pragma once
#include "core/text.h"

namespace zo {

// Title and class name are each read into 256 units with a count of 255, so at most 254
// characters of either are ever seen.
inline constexpr int kWindowTextBufferUnits = 256;
inline constexpr int kWindowTextReadCount = 255;

inline constexpr TextView kHostProductName = u"KORVA";
inline constexpr TextView kHostProductNameAlt = u"Dravelin";
inline constexpr TextView kHostWindowClassPrefix = u"Afx:";

// The host's main window: title begins with a product name, the version text stands in the
// title after its first unit, and the window class begins with "Afx:". Exact, case-sensitive.
[[nodiscard]] bool IsHostMainWindow(TextView title, TextView className, TextView versionText) noexcept;

// The title part of the rule alone; the class name is read only for titles that pass it.
[[nodiscard]] bool IsHostTitle(TextView title, TextView versionText) noexcept;

}  // namespace zo
