#include <gtest/gtest.h>

#include <string>

#include "core/host_match.h"

namespace zo {
namespace {

struct HostCase {
    const char* why;
    TextView title;
    TextView className;
    TextView version;
    bool titlePasses;
    bool matches;
};

const HostCase kHostCases[] = {
    {"product name, version, class", u"KORVA 2020 - [Drawing1.drw]", u"Afx:00400000:8:00010003", u"2020",
     true, true},
    {"second product name", u"Dravelin 2021 - [A.drw]", u"Afx:1", u"2021", true, true},
    {"product name in small letters", u"korva 2020", u"Afx:1", u"2020", false, false},
    {"product name in capitals", u"DRAVELIN 2021", u"Afx:1", u"2021", false, false},
    {"blank before the product name", u" KORVA 2020", u"Afx:1", u"2020", false, false},
    {"product name inside the title", u"My KORVA 2020", u"Afx:1", u"2020", false, false},
    {"version missing", u"KORVA 2019", u"Afx:1", u"2020", false, false},
    {"empty version never found", u"KORVA 2020", u"Afx:1", u"", false, false},
    {"version at position 1, again later", u"KORVA KORVA", u"Afx:1", u"KORVA", false, false},
    {"version at position 2", u"KORVA", u"Afx:1", u"ORVA", true, true},
    {"version inside a longer number", u"KORVA 2020", u"Afx:1", u"02", true, true},
    {"two digits of a four-digit number", u"Dravelin 2021", u"Afx:1", u"20", true, true},
    {"version letter case differs", u"KORVA LT", u"Afx:1", u"lt", false, false},
    {"class prefix in other letter case", u"KORVA 2020", u"AFX:1", u"2020", true, false},
    {"class without the colon", u"KORVA 2020", u"Afx", u"2020", true, false},
    {"class with another separator", u"KORVA 2020", u"Afx;1", u"2020", true, false},
    {"class with a blank before", u"KORVA 2020", u" Afx:1", u"2020", true, false},
    {"empty class", u"KORVA 2020", u"", u"2020", true, false},
    {"class is exactly the prefix", u"KORVA 2020", u"Afx:", u"2020", true, true},
    {"empty title", u"", u"Afx:1", u"2020", false, false},
};

TEST(HostMatch, TitleAndClassRule) {
    for (const auto& c : kHostCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(IsHostTitle(c.title, c.version), c.titlePasses);
        EXPECT_EQ(IsHostMainWindow(c.title, c.className, c.version), c.matches);
    }
}

TEST(HostMatch, VersionBeyondTheReadLimitIsNotSeen) {
    // The title read stores at most count - 1 units (the count includes the terminating NUL).
    const std::size_t seenUnits = kWindowTextReadCount - 1;
    ASSERT_EQ(seenUnits, 254u);

    Text title = u"KORVA ";
    title.append(seenUnits - title.size(), u'x');
    title += u"2020";
    ASSERT_EQ(title.size(), 258u);
    const TextView asRead = TextView{title}.substr(0, seenUnits);

    EXPECT_TRUE(IsHostMainWindow(title, u"Afx:1", u"2020"));    // the whole title would match
    EXPECT_FALSE(IsHostMainWindow(asRead, u"Afx:1", u"2020"));  // but the version lies past the cut

    // A version ending exactly on the last unit read is still found.
    Text edge = u"KORVA ";
    edge.append(seenUnits - edge.size() - 4, u'x');
    edge += u"2020";
    ASSERT_EQ(edge.size(), seenUnits);
    EXPECT_TRUE(IsHostMainWindow(TextView{edge}.substr(0, seenUnits), u"Afx:1", u"2020"));
}

}  // namespace
}  // namespace zo
