#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/candidate_list_form.h"

namespace zo {
namespace {

// ListBox1 as the handlers see it: the rows it was told to select.
class RecordingListBox final : public CandidateListSelection {
  public:
    std::vector<std::string> selected;
    void SelectRow(std::optional<std::size_t> row) override {
        selected.push_back(row ? std::to_string(*row) : "none");
    }
};

class ListForm : public ::testing::Test {
  protected:
    ListForm() {
        form.SetRows({u"Apple", u"apricot", u"Banana"});
        form.BeginModal();
    }
    TextCompare compare = CompareIgnoringCase;
    RecordingListBox listBox;
    CandidateListForm form{listBox, compare};
};

TEST_F(ListForm, EachEventOfTheOpenListSetsItsResult) {
    const struct {
        const char* name;
        std::function<void(CandidateListForm&)> event;
        int result;
    } cases[] = {
        {"selection changed", [](CandidateListForm& f) { f.ListBox1Click(); }, kModalAccept},
        {"double-click", [](CandidateListForm& f) { f.ListBox1DblClick(); }, kModalAccept},
        {"Enter", [](CandidateListForm& f) { f.ListBox1KeyDown(13); }, kModalAccept},
        {"Escape", [](CandidateListForm& f) { f.ListBox1KeyDown(27); }, kModalCancel},
        {"Down arrow alone", [](CandidateListForm& f) { f.ListBox1KeyDown(40); }, kModalNone},
        {"Shift", [](CandidateListForm& f) { f.ListBox1KeyDown(16); }, kModalNone},
        {"application switch while shown", [](CandidateListForm& f) { f.FormActivateApp(true); },
         kModalCancel},
        {"application switch while hidden", [](CandidateListForm& f) { f.FormActivateApp(false); },
         kModalNone},
        {"close", [](CandidateListForm& f) { f.FormClose(); }, kModalCancel},
        {"application ends", [](CandidateListForm& f) { f.ApplicationTerminating(); }, kModalCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.BeginModal();
        c.event(form);
        EXPECT_EQ(form.ModalResult(), c.result);
    }
}

TEST_F(ListForm, TheFirstResultStands) {
    form.ListBox1KeyDown(13);
    form.ListBox1KeyDown(27);
    form.FormActivateApp(true);
    EXPECT_EQ(form.ModalResult(), kModalAccept);

    form.BeginModal();
    EXPECT_EQ(form.ModalResult(), kModalNone);
    form.ListBox1KeyDown(27);
    form.ListBox1Click();
    EXPECT_EQ(form.ModalResult(), kModalCancel);
}

TEST_F(ListForm, TypingSelectsTheRowItFindsAndAcceptsIt) {
    const struct {
        const char* name;
        std::vector<std::pair<char16_t, std::uint64_t>> keys;
        std::vector<std::string> selected;
        int result;
    } cases[] = {
        {"a letter that begins a row", {{u'b', 1000}}, {"2"}, kModalAccept},
        {"letter case is ignored", {{u'B', 1000}}, {"2"}, kModalAccept},
        {"a letter that begins no row keeps the list open", {{u'z', 1000}}, {}, kModalNone},
        {"a second quick letter that still begins no row", {{u'z', 1000}, {u'a', 1200}}, {}, kModalNone},
        {"after a pause a letter that begins a row", {{u'z', 1000}, {u'b', 1600}}, {"2"}, kModalAccept},
        {"a non-matching letter then Backspace accepts the first row",
         {{u'z', 1000}, {u'\b', 1100}},
         {"0"},
         kModalAccept},
        {"Enter as a character is no search text", {{u'\r', 1000}}, {}, kModalNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingListBox box;
        CandidateListForm fresh{box, compare};
        fresh.SetRows({u"Apple", u"apricot", u"Banana"});
        fresh.BeginModal();
        for (const auto& [ch, at] : c.keys) fresh.ListBox1KeyPress(ch, at);
        EXPECT_EQ(box.selected, c.selected);
        EXPECT_EQ(fresh.ModalResult(), c.result);
    }
}

TEST_F(ListForm, TypingComparesWithTheCollationItWasGiven) {
    // Under a collation that tells letter case apart, "a" begins "apricot" but not "Apple".
    compare = [](TextView a, TextView b) { return a == b ? 0 : (a < b ? -1 : 1); };
    form.ListBox1KeyPress(u'a', 1000);
    EXPECT_EQ(listBox.selected, (std::vector<std::string>{"1"}));
}

}  // namespace
}  // namespace zo
