#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/text_compare.h"
#include "core/type_search.h"

namespace zo {
namespace {

constexpr char16_t kBackspace = 0;

struct TypedKey {
    char16_t ch;  // kBackspace for the Backspace key
    std::uint64_t atMs;
    TextView textAfter;
    std::optional<std::size_t> row;
};

struct SearchCase {
    const char* why;
    std::vector<TypedKey> keys;
};

TEST(TypeSearch, BuildsTextFromQuickKeys) {
    const std::vector<Text> rows{u"Apple", u"apricot", u"Banana", u"berry", u"Cherry"};
    const SearchCase cases[] = {
        {"quick keys extend the text",
         {{u'a', 1000, u"a", 0}, {u'p', 1100, u"ap", 0}, {u'r', 1200, u"apr", 1}}},
        {"capital typed, rows matched without case", {{u'B', 1000, u"B", 2}, {u'E', 1100, u"BE", 3}}},
        {"a pause of 500 ms starts afresh", {{u'b', 1000, u"b", 2}, {u'e', 1500, u"e", std::nullopt}}},
        {"just under 500 ms continues", {{u'b', 1000, u"b", 2}, {u'e', 1499, u"be", 3}}},
        {"a long pause starts afresh", {{u'a', 1000, u"a", 0}, {u'c', 9000, u"c", 4}}},
        {"backspace shortens the text",
         {{u'b', 1000, u"b", 2}, {u'e', 1100, u"be", 3}, {kBackspace, 1200, u"b", 2}}},
        {"backspace to empty selects the first row",
         {{u'c', 1000, u"c", 4}, {kBackspace, 1100, u"", 0}, {kBackspace, 1200, u"", 0}}},
        {"backspace after a pause empties first", {{u'c', 1000, u"c", 4}, {kBackspace, 2000, u"", 0}}},
        {"no row begins with the text",
         {{u'z', 1000, u"z", std::nullopt}, {u'a', 1100, u"za", std::nullopt}}},
        {"text longer than every row",
         {{u'a', 0, u"a", 0},
          {u'p', 1, u"ap", 0},
          {u'p', 2, u"app", 0},
          {u'l', 3, u"appl", 0},
          {u'e', 4, u"apple", 0},
          {u's', 5, u"apples", std::nullopt}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TypeSearch search;
        for (const auto& k : c.keys) {
            SCOPED_TRACE(testing::Message() << "key at " << k.atMs);
            const auto row = search.OnKey(k.ch, k.ch == kBackspace, k.atMs, rows, CompareIgnoringCase);
            EXPECT_EQ(search.text(), k.textAfter);
            EXPECT_EQ(row, k.row);
        }
    }
}

TEST(TypeSearch, CharactersFromTheList) {
    const std::vector<Text> rows{u"Apple", u"Banana"};
    TypeSearch search;
    EXPECT_EQ(search.OnCharacter(u'b', 1000, rows, CompareIgnoringCase), 1u);
    // Enter and Escape arrive as characters too; they are keys, not search text, and keep the
    // clock, so a letter right after them still extends the text.
    EXPECT_EQ(search.OnCharacter(u'\r', 1100, rows, CompareIgnoringCase), std::nullopt);
    EXPECT_EQ(search.OnCharacter(u'\x1B', 1200, rows, CompareIgnoringCase), std::nullopt);
    EXPECT_EQ(search.text(), u"b");
    EXPECT_EQ(search.OnCharacter(u'a', 1400, rows, CompareIgnoringCase), 1u);
    EXPECT_EQ(search.text(), u"ba");
    EXPECT_EQ(search.OnCharacter(u'\b', 1500, rows, CompareIgnoringCase), 1u);
    EXPECT_EQ(search.text(), u"b");
}

TEST(TypeSearch, UsesTheCallersCollation) {
    // The window passes the user's locale collation; the search must ask it, not fold by itself.
    const std::vector<Text> rows{u"\u00C5sa", u"Asa"};
    const TextCompare aRingIsA = [](TextView a, TextView b) {
        Text x(a);
        Text y(b);
        for (Text* t : {&x, &y}) {
            for (char16_t& unit : *t) {
                if (unit == u'\u00C5' || unit == u'\u00E5') unit = u'a';
            }
        }
        return CompareIgnoringCase(x, y);
    };
    TypeSearch search;
    EXPECT_EQ(search.OnCharacter(u'a', 1000, rows, aRingIsA), 0u);
    TypeSearch plain;
    EXPECT_EQ(plain.OnCharacter(u'a', 1000, rows, CompareIgnoringCase), 1u);
}

TEST(TypeSearch, NoRows) {
    TypeSearch search;
    const std::vector<Text> none;
    EXPECT_EQ(search.OnKey(u'a', false, 0, none, CompareIgnoringCase), std::nullopt);
    EXPECT_EQ(search.OnKey(kBackspace, true, 10, none, CompareIgnoringCase), std::nullopt);
    EXPECT_EQ(search.text(), u"");
}

}  // namespace
}  // namespace zo
