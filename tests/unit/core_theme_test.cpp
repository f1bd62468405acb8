#include <gtest/gtest.h>

#include "core/theme.h"

namespace zo {
namespace {

TEST(Theme, FoundByNameWithoutRegardToCase) {
    const std::vector<Text> loaded{u"Windows", u"windows10 dark", u"Windows10 Dark"};
    EXPECT_EQ(FindTheme(loaded, kThemeName), 1u);  // the first of the two that fold alike
    EXPECT_EQ(FindTheme(loaded, u"WINDOWS"), 0u);
    EXPECT_EQ(FindTheme({u"Windows10 Dark Blue", u"Windows10"}, kThemeName), std::nullopt);
    EXPECT_EQ(FindTheme({}, kThemeName), std::nullopt);
}

TEST(Theme, NotFoundMessageNamesTheTheme) {
    EXPECT_EQ(ThemeNotFoundMessage(kThemeName), u"スタイル 'Windows10 Dark' が見つかりません");
    EXPECT_EQ(ThemeNotFoundMessage(u""), u"スタイル '' が見つかりません");
}

}  // namespace
}  // namespace zo
