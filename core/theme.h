#pragma once
#include <optional>
#include <vector>

#include "core/text.h"

namespace zo {

inline constexpr TextView kThemeName = u"Windows10 Dark";

// Index of the first theme whose name equals `wanted` without regard to letter case.
[[nodiscard]] std::optional<std::size_t> FindTheme(const std::vector<Text>& names, TextView wanted);

// "スタイル '<name>' が見つかりません"
[[nodiscard]] Text ThemeNotFoundMessage(TextView themeName);

}  // namespace zo
