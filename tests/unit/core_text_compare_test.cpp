#include <gtest/gtest.h>

#include "core/text_compare.h"

namespace zo {
namespace {

// Folding to small letters, not capitals, keeps "_" before the letters as a locale collation does.
TEST(CompareIgnoringCase, FoldsLettersAndOrdersByUnit) {
    const struct {
        TextView a;
        TextView b;
        int sign;
    } cases[] = {
        {u"abc", u"ABC", 0}, {u"a", u"B", -1}, {u"B", u"a", 1},  {u"ab", u"a", 1},   {u"", u"", 0},
        {u"", u"a", -1},     {u"É", u"é", 0},  {u"_", u"a", -1}, {u"a1", u"A2", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.a) + " vs " + ToUtf8(c.b));
        const int result = CompareIgnoringCase(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
    }
}

}  // namespace
}  // namespace zo
