#include "ui/candidate_list_form.h"

namespace zo {

void CandidateListForm::ListBox1KeyPress(char16_t ch, std::uint64_t nowMs) {
    const std::optional<std::size_t> row = typeSearch_.OnCharacter(ch, nowMs, rows_, compareForUser_);
    if (!row) return;
    listBox1_.SelectRow(row);
    ListBox1Click();
}

}  // namespace zo
