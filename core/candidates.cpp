#include "core/candidates.h"

#include <algorithm>

namespace zo {

int CompareIgnoringCase(TextView a, TextView b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = LowerUnit(a[i]);
        const char16_t y = LowerUnit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

CandidateList BuildCandidateList(const std::vector<Text>& namesInHostOrder, TextView activeName,
                                 const TextCompare& compareNoCase) {
    CandidateList list;
    list.rows = namesInHostOrder;
    // Stable, so names equal without regard to case keep the host's order among themselves.
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [&](const Text& a, const Text& b) { return compareNoCase(a, b) < 0; });
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        if (compareNoCase(list.rows[i], activeName) == 0) {
            list.preselected = i;
            break;
        }
    }
    return list;
}

std::optional<std::int32_t> FindChosenDocument(std::int32_t count, const DrawingNameAt& nameAt,
                                               TextView chosen) {
    for (std::int32_t index = 0; index < count; ++index) {
        if (nameAt(index) == chosen) return index;
    }
    return std::nullopt;
}

int CandidateListRule(ListEvent event) noexcept {
    switch (event) {
        case ListEvent::SelectionChanged:
        case ListEvent::DoubleClick:
        case ListEvent::KeyEnter:
            return kModalAccept;
        case ListEvent::KeyEscape:
        case ListEvent::ActivationChanged:
        case ListEvent::Close:
        case ListEvent::Terminating:
            return kModalCancel;
        case ListEvent::OtherKey:
        case ListEvent::Wheel:
        case ListEvent::Scroll:
        case ListEvent::Resize:
            return kModalNone;
    }
    return kModalNone;
}

ListEvent KeyDownEvent(std::uint16_t virtualKey) noexcept {
    if (virtualKey == kVirtualKeyReturn) return ListEvent::KeyEnter;
    if (virtualKey == kVirtualKeyEscape) return ListEvent::KeyEscape;
    return ListEvent::OtherKey;
}

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
