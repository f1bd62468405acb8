#pragma once
#include <cstdint>

#include "core/text.h"

namespace zo {

inline constexpr TextView kCaptionPrefix = u"\u25A0ZO24_RAZ - ";
inline constexpr std::size_t kCaptionCut = 14;
inline constexpr TextView kInitialCaption = u"\u25A0 DI_RED 1.63";

// Lamp colours in 0x00BBGGRR form.
inline constexpr std::uint32_t kLampFound = 0x00FF00;
inline constexpr std::uint32_t kLampMissing = 0x808080;

// The main window's caption for a host title: the prefix and the title's first 14 units with
// their first "(" removed and control characters and blanks trimmed from both ends.
[[nodiscard]] Text BuildMonitorCaption(TextView title);

}  // namespace zo
