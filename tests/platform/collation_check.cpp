// The list's rules with the user's locale collation that the program passes them, run where that
// collation exists. One line per check, a summary, and a non-zero exit code when anything failed.
//
//   collation_check.exe
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/candidate_list.h"
#include "core/candidate_list_rule.h"
#include "core/text_compare.h"
#include "core/type_search.h"
#include "platform/collation.h"
#include "tests/check_report.h"
#include "ui/candidate_list_form.h"

namespace {

using zo::Text;

using zo::check::Report;

int Sign(int value) { return (value > 0) - (value < 0); }

void CheckComparison() {
    const struct {
        const char* name;
        const char16_t* a;
        const char16_t* b;
        int sign;
    } cases[] = {
        {"letter case is ignored", u"abc", u"ABC", 0},
        {"a before B", u"a", u"B", -1},
        {"B after a", u"B", u"a", 1},
        {"a prefix first", u"Plan", u"Plan1", -1},
        {"accented capital and small letter alike", u"\u00C9t\u00E9", u"\u00E9T\u00C9", 0},
        // Beyond Latin-1: the plain folding of the fallback keeps these apart, the locale does not.
        {"full-width letters without case", u"\uFF21", u"\uFF41", 0},
    };
    for (const auto& c : cases) {
        Report(std::string("CompareForUser: ") + c.name, Sign(zo::CompareForUser(c.a, c.b)) == c.sign);
    }
}

void CheckCandidateList() {
    const zo::TextCompare compare = zo::CompareForUser;
    const zo::CandidateList list = zo::BuildCandidateList({u"b", u"A", u"c"}, u"B", compare);
    Report("BuildCandidateList: rows A, b, c", list.rows == std::vector<Text>{u"A", u"b", u"c"});
    Report("BuildCandidateList: b preselected for the active name B", list.preselected == std::size_t{1});
}

class NoListBox final : public zo::CandidateListSelection {
  public:
    std::vector<std::optional<std::size_t>> selected;
    void SelectRow(std::optional<std::size_t> row) override { selected.push_back(row); }
};

void CheckTypedSearch() {
    const zo::TextCompare compare = zo::CompareForUser;
    const std::vector<Text> rows{u"Apple", u"apricot", u"Banana", u"berry"};
    zo::TypeSearch search;
    Report("typed search: B finds Banana", search.OnCharacter(u'B', 1000, rows, compare) == std::size_t{2});
    Report("typed search: a quick E extends it to berry",
           search.OnCharacter(u'E', 1100, rows, compare) == std::size_t{3});
    Report("typed search: after a pause, A finds Apple",
           search.OnCharacter(u'A', 1700, rows, compare) == std::size_t{0});
    Report("typed search: a quick P R finds apricot",
           search.OnCharacter(u'p', 1800, rows, compare) == std::size_t{0} &&
               search.OnCharacter(u'R', 1900, rows, compare) == std::size_t{1});

    NoListBox listBox;
    zo::CandidateListForm form(listBox, compare);
    form.SetRows(rows);
    form.BeginModal();
    form.ListBox1KeyPress(u'z', 1000);
    Report("list: a letter that begins no row keeps it open", form.ModalResult() == zo::kModalNone);
    form.ListBox1KeyPress(u'b', 1600);
    Report("list: b after a pause selects Banana and accepts it",
           listBox.selected == std::vector<std::optional<std::size_t>>{std::size_t{2}} &&
               form.ModalResult() == zo::kModalAccept);
}

}  // namespace

int wmain() {
    CheckComparison();
    CheckCandidateList();
    CheckTypedSearch();
    return zo::check::Summary();
}
