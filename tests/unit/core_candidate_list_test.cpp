#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/candidate_list.h"

namespace zo {
namespace {

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

}  // namespace
}  // namespace zo
