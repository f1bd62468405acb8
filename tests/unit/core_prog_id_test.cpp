#include <gtest/gtest.h>

#include "core/prog_id.h"
#include "core/text.h"

namespace zo {
namespace {

TEST(HostProgId, UnitsThreeAndFourOfTheVersionBox) {
    const struct {
        TextView box;
        TextView expected;
    } cases[] = {
        {u"2020", u"Vexo.Application.20"},
        {u"2024", u"Vexo.Application.24"},
        {u"20245", u"Vexo.Application.24"},
        {u"202", u"Vexo.Application.2"},
        {u"20", u"Vexo.Application."},
        {u"", u"Vexo.Application."},
        {u"\uFF12\uFF10\uFF12\uFF13", u"Vexo.Application.\uFF12\uFF13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.box));
        EXPECT_EQ(BuildHostProgId(c.box), c.expected);
    }
}

}  // namespace
}  // namespace zo
