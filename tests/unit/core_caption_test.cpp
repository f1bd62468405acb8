#include <gtest/gtest.h>

#include "core/caption.h"

namespace zo {
namespace {

struct CaptionCase {
    const char* why;
    TextView title;
    TextView expected;
};

const CaptionCase kCaptionCases[] = {
    {"first '(' of the cut removed", u"KORVA 2020 (x64) - [Drawing1.drw]", u"\u25A0ZO24_RAZ - KORVA 2020 x6"},
    {"14th unit a blank, trimmed", u"Dravelin 2021 (x64)", u"\u25A0ZO24_RAZ - Dravelin 2021"},
    {"only the first '(' goes", u"KORVA (1) (2)", u"\u25A0ZO24_RAZ - KORVA 1) (2)"},
    {"empty title gives the prefix alone", u"", u"\u25A0ZO24_RAZ - "},
    {"short title used whole", u"KORVA", u"\u25A0ZO24_RAZ - KORVA"},
    {"exactly 14 units", u"KORVA 2020 abc", u"\u25A0ZO24_RAZ - KORVA 2020 abc"},
    {"'(' after unit 14 has no effect", u"KORVA 2020 - D(1)", u"\u25A0ZO24_RAZ - KORVA 2020 - D"},
    {"'(' as unit 14 is removed", u"KORVA 2020 - (x)", u"\u25A0ZO24_RAZ - KORVA 2020 -"},
    {"blanks and controls trimmed both ends", u"\t KORVA \x01", u"\u25A0ZO24_RAZ - KORVA"},
    {"removed '(' exposes a blank", u"( KORVA", u"\u25A0ZO24_RAZ - KORVA"},
    {"blank inside stays", u"KORVA  2020", u"\u25A0ZO24_RAZ - KORVA  2020"},
    {"only blanks", u"      ", u"\u25A0ZO24_RAZ - "},
    {"no-break space is above U+0020", u"\u00A0KORVA\u00A0", u"\u25A0ZO24_RAZ - \u00A0KORVA\u00A0"},
    {"Japanese title cut by units", u"KORVA 2020 - 図面一覧です", u"\u25A0ZO24_RAZ - KORVA 2020 - 図"},
};

TEST(MonitorCaption, FromHostTitle) {
    for (const auto& c : kCaptionCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(BuildMonitorCaption(c.title), c.expected);
    }
}

}  // namespace
}  // namespace zo
