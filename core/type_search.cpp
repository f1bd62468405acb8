#include "core/type_search.h"

namespace zo {

std::optional<std::size_t> TypeSearch::OnCharacter(char16_t ch, std::uint64_t nowMs,
                                                   const std::vector<Text>& rows,
                                                   const TextCompare& compareNoCase) {
    constexpr char16_t kBackspace = 8;
    if (ch == kBackspace) return OnKey(ch, true, nowMs, rows, compareNoCase);
    if (ch < u' ') return std::nullopt;
    return OnKey(ch, false, nowMs, rows, compareNoCase);
}

std::optional<std::size_t> TypeSearch::OnKey(char16_t ch, bool backspace, std::uint64_t nowMs,
                                             const std::vector<Text>& rows,
                                             const TextCompare& compareNoCase) {
    // A clock that went backwards tells nothing about the pause; start a fresh search then.
    const bool pause = lastKeyMs_ && (nowMs < *lastKeyMs_ || nowMs - *lastKeyMs_ >= kResetMs);
    if (pause) text_.clear();
    lastKeyMs_ = nowMs;

    if (backspace) {
        if (!text_.empty()) text_.pop_back();
    } else {
        text_ += ch;
    }

    if (text_.empty()) {
        if (rows.empty()) return std::nullopt;
        return std::size_t{0};
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TextView row{rows[i]};
        if (row.size() >= text_.size() && compareNoCase(row.substr(0, text_.size()), text_) == 0) return i;
    }
    return std::nullopt;
}

}  // namespace zo
