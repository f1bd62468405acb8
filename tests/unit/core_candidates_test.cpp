#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/candidates.h"

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

struct ListCase {
    const char* why;
    std::vector<Text> names;
    TextView active;
    std::vector<Text> rows;
    std::optional<std::size_t> preselected;
};

TEST(BuildCandidateList, SortedRowsAndPreselection) {
    const ListCase cases[] = {
        {"sorted, active preselected", {u"b", u"A", u"c"}, u"b", {u"A", u"b", u"c"}, 1},
        {"active differs only in case", {u"b", u"A", u"c"}, u"B", {u"A", u"b", u"c"}, 1},
        {"duplicates kept in host order", {u"x", u"X", u"a", u"x"}, u"x", {u"a", u"x", u"X", u"x"}, 1},
        {"no row equals the active name", {u"b", u"A"}, u"d", {u"A", u"b"}, std::nullopt},
        {"active name is only a prefix", {u"Plan1", u"Plan"}, u"Pla", {u"Plan", u"Plan1"}, std::nullopt},
        {"no drawings", {}, u"a", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const CandidateList list = BuildCandidateList(c.names, c.active, CompareIgnoringCase);
        EXPECT_EQ(list.rows, c.rows);
        EXPECT_EQ(list.preselected, c.preselected);
    }
}

TEST(BuildCandidateList, UsesTheCallersCollation) {
    // The Win32 side passes the user's locale collation; the list must follow it, not its own.
    const TextCompare reversed = [](TextView a, TextView b) { return CompareIgnoringCase(b, a); };
    const CandidateList list = BuildCandidateList({u"b", u"A", u"c"}, u"C", reversed);
    EXPECT_EQ(list.rows, (std::vector<Text>{u"c", u"b", u"A"}));
    EXPECT_EQ(list.preselected, 0u);
}

TEST(FindChosenDocument, ExactFirstMatchReadingEachVisitedNameOnce) {
    const std::vector<Text> names{u"Plan.drw", u"plan.drw", u"Plan.drw"};
    const struct {
        TextView chosen;
        std::optional<std::int32_t> index;
        std::vector<std::int32_t> visited;
    } cases[] = {
        {u"Plan.drw", 0, {0}},
        {u"plan.drw", 1, {0, 1}},
        {u"PLAN.DWG", std::nullopt, {0, 1, 2}},
        {u"Plan", std::nullopt, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.chosen));
        std::vector<std::int32_t> visited;
        const auto nameAt = [&](std::int32_t index) {
            visited.push_back(index);
            return names.at(static_cast<std::size_t>(index));
        };
        EXPECT_EQ(FindChosenDocument(static_cast<std::int32_t>(names.size()), nameAt, c.chosen), c.index);
        EXPECT_EQ(visited, c.visited);
    }
}

TEST(FindChosenDocument, NoDrawingsReadNothing) {
    for (const std::int32_t count : {0, -1}) {
        SCOPED_TRACE(count);
        int reads = 0;
        const auto nameAt = [&](std::int32_t) {
            ++reads;
            return Text(u"Plan.drw");
        };
        EXPECT_EQ(FindChosenDocument(count, nameAt, u"Plan.drw"), std::nullopt);
        EXPECT_EQ(reads, 0);
    }
}

TEST(CandidateListRule, ModalResultPerEvent) {
    const struct {
        ListEvent event;
        int result;
    } cases[] = {
        {ListEvent::SelectionChanged, kModalAccept},
        {ListEvent::DoubleClick, kModalAccept},
        {ListEvent::KeyEnter, kModalAccept},
        {ListEvent::KeyEscape, kModalCancel},
        {ListEvent::ActivationChanged, kModalCancel},
        {ListEvent::Close, kModalCancel},
        {ListEvent::Terminating, kModalCancel},
        {ListEvent::OtherKey, kModalNone},
        {ListEvent::Wheel, kModalNone},
        {ListEvent::Scroll, kModalNone},
        {ListEvent::Resize, kModalNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event));
        EXPECT_EQ(CandidateListRule(c.event), c.result);
    }
}

TEST(KeyDownEvent, EnterAndEscapeAreTheirOwnEventsEveryOtherKeyIsOther) {
    const struct {
        std::uint16_t key;
        ListEvent event;
    } cases[] = {
        {13, ListEvent::KeyEnter}, {27, ListEvent::KeyEscape}, {40, ListEvent::OtherKey},  // Down
        {8, ListEvent::OtherKey},  {65, ListEvent::OtherKey},  {0x10D, ListEvent::OtherKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(KeyDownEvent(c.key), c.event);
    }
}

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
