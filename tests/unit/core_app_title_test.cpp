#include <gtest/gtest.h>

#include "core/app_title.h"
#include "core/text.h"

namespace zo {
namespace {

struct TextCase {
    TextView input;
    TextView expected;
};

TEST(ApplicationTitle, NameUpToFirstDotWithLaterUnitsLowered) {
    const TextCase cases[] = {
        {u"ZO24_RAZ.exe", u"Zo24_raz"},
        {u"zo24_raz.EXE", u"zo24_raz"},
        {u"ZO24_RAZ.backup.exe", u"Zo24_raz"},
        {u"ZO24_RAZ", u"Zo24_raz"},
        {u".exe", u""},
        {u"", u""},
        {u"ÉCRAN.exe", u"Écran"},
        {u"図面ABC.exe", u"図面abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.input));
        EXPECT_EQ(ApplicationTitle(c.input), c.expected);
    }
}

TEST(ErrorBoxText, FullStopOnlyAfterUnitsAboveIt) {
    const TextCase cases[] = {
        {u"abc", u"abc."},
        {u"abc.", u"abc."},   // 46 itself
        {u"abc-", u"abc-"},   // 45
        {u"abc/", u"abc/."},  // 47
        {u"failed (5)", u"failed (5)"},
        {u"code 5", u"code 5."},
        {u"C:\\Tools\\ZO24_RAZ,ini に書き込めません", u"C:\\Tools\\ZO24_RAZ,ini に書き込めません."},
        {u"終わり\uFF0E", u"終わり\uFF0E."},
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.input));
        EXPECT_EQ(ErrorBoxText(c.input), c.expected);
    }
}

}  // namespace
}  // namespace zo
