#pragma once
// The candidate list window's handlers (window class "TInputListForm", its list ListBox1), free
// of the platform: which modal result each event of the open list sets, and which row typing
// selects.
// The Win32 window turns its messages into these calls and ends its modal show as soon as
// ModalResult() is not 0.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/candidate_list_keys.h"
#include "core/candidate_list_rule.h"
#include "core/text_compare.h"
#include "core/type_search.h"

namespace zo {

// What the handlers need of ListBox1 itself.
class CandidateListSelection {
  public:
    virtual ~CandidateListSelection() = default;
    // Selects a row, or none, raising no click event.
    virtual void SelectRow(std::optional<std::size_t> row) = 0;
};

class CandidateListForm {
  public:
    CandidateListForm(CandidateListSelection& listBox1, const TextCompare& compareForUser)
        : listBox1_(listBox1), compareForUser_(compareForUser) {}

    void SetRows(std::vector<Text> rows) { rows_ = std::move(rows); }
    [[nodiscard]] const std::vector<Text>& Rows() const noexcept { return rows_; }

    // The modal show begins: result 0 until an event sets one.
    void BeginModal() noexcept { modalResult_ = kModalNone; }
    [[nodiscard]] int ModalResult() const noexcept { return modalResult_; }

    // The user changed the selection (a click, an arrow or page key, typing).
    void ListBox1Click() { On(ListEvent::SelectionChanged); }
    void ListBox1DblClick() { On(ListEvent::DoubleClick); }
    void ListBox1KeyDown(std::uint16_t key) { On(KeyDownEvent(key)); }
    // A character typed into the list at `nowMs`: the typed search selects the row it finds and
    // raises the click event, which accepts it.
    void ListBox1KeyPress(char16_t ch, std::uint64_t nowMs);
    // The application was activated or deactivated; `visible` is the window's state then.
    void FormActivateApp(bool visible) {
        if (visible) On(ListEvent::ActivationChanged);
    }
    // The window's close operation.
    void FormClose() { On(ListEvent::Close); }
    // The application ends while the list is open (the quit message reached the modal loop).
    void ApplicationTerminating() { On(ListEvent::Terminating); }

  private:
    // The first event that sets a result other than 0 ends the show; later ones change nothing.
    void On(ListEvent event) noexcept {
        if (modalResult_ == kModalNone) modalResult_ = CandidateListRule(event);
    }

    CandidateListSelection& listBox1_;
    const TextCompare& compareForUser_;
    std::vector<Text> rows_;
    int modalResult_ = kModalNone;
    TypeSearch typeSearch_;
};

}  // namespace zo
