#include "core/theme.h"

#include "core/candidates.h"

namespace zo {

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
