#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace zo {

inline constexpr TextView kThemeName = u"Windows10 Dark";

// Index of the first theme whose name equals `wanted` without regard to letter case.
[[nodiscard]] std::optional<std::size_t> FindTheme(const std::vector<Text>& names, TextView wanted);

// The theme's palette text: "name=RRGGBB" lines (hexadecimal, either letter case), ";" comments,
// blank lines; trailing blanks and carriage returns ignored. Returns the colours as 0xRRGGBB in
// the order of `names`; nullopt when a line is malformed or a name is missing. Unknown names
// are ignored.
[[nodiscard]] std::optional<std::vector<std::uint32_t>> ParsePaletteText(
    std::string_view text, const std::vector<std::string_view>& names);

// "スタイル '<name>' が見つかりません"
[[nodiscard]] Text ThemeNotFoundMessage(TextView themeName);

}  // namespace zo
