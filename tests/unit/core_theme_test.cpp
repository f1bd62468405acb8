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

TEST(PaletteText, ColoursInTheOrderAsked) {
    using Colours = std::optional<std::vector<std::uint32_t>>;
    const std::vector<std::string_view> names{"window", "text"};
    const struct {
        const char* why;
        std::string_view text;
        Colours colours;
    } cases[] = {
        {"plain", "window=202020\ntext=F0F0F0\n", Colours({0x202020, 0xF0F0F0})},
        {"comments, blank lines, CRLF, trailing blanks, lower case, any order",
         "; dark\r\n\r\ntext=f0f0f0  \r\nwindow=0A0b0C\r\n", Colours({0x0A0B0C, 0xF0F0F0})},
        {"an unknown name is ignored", "window=000000\ntext=FFFFFF\nfocus=123456", Colours({0, 0xFFFFFF})},
        {"a later line wins", "window=000000\ntext=FFFFFF\nwindow=111111", Colours({0x111111, 0xFFFFFF})},
        {"a name missing", "window=202020\n", std::nullopt},
        {"no equals sign", "window=202020\ntext F0F0F0\n", std::nullopt},
        {"five digits", "window=20202\ntext=F0F0F0\n", std::nullopt},
        {"not hexadecimal", "window=20202G\ntext=F0F0F0\n", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ParsePaletteText(c.text, names), c.colours);
    }
}

}  // namespace
}  // namespace zo
