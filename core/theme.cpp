#include "core/theme.h"

#include "core/text_compare.h"

namespace zo {
namespace {

std::optional<std::uint32_t> ParseColour(std::string_view hex) {
    if (hex.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : hex) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::optional<std::vector<std::uint32_t>> ParsePaletteText(std::string_view text,
                                                           const std::vector<std::string_view>& names) {
    std::vector<std::uint32_t> colours(names.size());
    std::vector<bool> seen(names.size());
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == ';') continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const auto colour = ParseColour(line.substr(equals + 1));
        if (!colour) return std::nullopt;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == line.substr(0, equals)) {
                colours[i] = *colour;
                seen[i] = true;
            }
        }
    }
    for (const bool present : seen) {
        if (!present) return std::nullopt;
    }
    return colours;
}

std::optional<std::size_t> FindTheme(const std::vector<Text>& names, TextView wanted) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (CompareIgnoringCase(names[i], wanted) == 0) return i;
    }
    return std::nullopt;
}

Text ThemeNotFoundMessage(TextView themeName) {
    Text text{u"スタイル '"};
    text += themeName;
    text += u"' が見つかりません";
    return text;
}

}  // namespace zo
