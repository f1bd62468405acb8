#include <gtest/gtest.h>

#include "core/app_title.h"
#include "core/lower_case.h"
#include "core/text.h"

namespace zo {
namespace {

struct TextCase {
    TextView input;
    TextView expected;
};

TEST(ApplicationTitle, NameUpToFirstDotWithLaterCharactersLowered) {
    const TextCase cases[] = {
        {u"ZO24_RAZ.exe", u"Zo24_raz"},
        {u"zo24_raz.EXE", u"zo24_raz"},
        {u"ZO24_RAZ.backup.exe", u"Zo24_raz"},
        {u"ZO24_RAZ", u"Zo24_raz"},
        {u".exe", u""},
        {u"", u""},
        {u"ÉCRAN.exe", u"Écran"},
        {u"図面ABC.exe", u"図面abc"},
        {u"ΖΩΝΗ.exe", u"Ζωνη"},                      // Greek
        {u"ΣΟΦΙΑ.exe", u"Σοφια"},                    // a capital sigma lowers to the medial form
        {u"ПРОГРАММА.exe", u"Программа"},            // Cyrillic
        {u"ЁЖИК_ЇЄ.exe", u"Ёжик_їє"},                // Cyrillic capitals outside the basic 32
        {u"ＺＯ２４ＲＡＺ.exe", u"Ｚｏ２４ｒａｚ"},  // full-width letters; full-width digits stay
        {u"ŁÓDŹ.exe", u"Łódź"},                      // Latin Extended-A capitals sit on even codes
        {u"İSTANBUL.exe", u"İstanbul"},
        {u"AİB.exe", u"Aib"},        // capital I with dot lowers to a plain i
        {u"ԱՐԱՐԱՏ.exe", u"Արարատ"},  // Armenian
        {u"𐐀𐐁.exe", u"𐐀𐐩"},          // Deseret: a pair each, first kept
        {u"A\xD800"
         u"B.exe",
         u"A\xD800"
         u"b"},  // a lone surrogate passes through
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.input));
        EXPECT_EQ(ApplicationTitle(c.input), c.expected);
    }
}

TEST(LowerCodePoint, EdgesOfTheRuns) {
    struct Case {
        char32_t input;
        char32_t expected;
    };
    const Case cases[] = {
        {0x0000, 0x0000},   {U'@', U'@'},         {U'A', U'a'},     {U'Z', U'z'},
        {U'[', U'['},       {U'a', U'a'},         {0x00D7, 0x00D7},  // multiplication sign
        {0x00DE, 0x00FE},   {0x00DF, 0x00DF},                        // sharp s has no capital pair here
        {0x0100, 0x0101},   {0x0101, 0x0101},     {0x012E, 0x012F},  // every second code
        {0x0178, 0x00FF},   {0x0391, 0x03B1},     {0x03A2, 0x03A2},  // no capital final sigma
        {0x0400, 0x0450},   {0x042F, 0x044F},     {0x1E9E, 0x00DF},  // capital sharp s
        {0x2160, 0x2170},   {0x24B6, 0x24D0},                        // Roman numeral one, circled A
        {0xFF21, 0xFF41},   {0xFF3A, 0xFF5A},     {0xFF3B, 0xFF3B}, {0x10400, 0x10428},
        {0x1E921, 0x1E943}, {0x10FFFF, 0x10FFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.input));
        EXPECT_EQ(static_cast<unsigned>(LowerCodePoint(c.input)), static_cast<unsigned>(c.expected));
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
