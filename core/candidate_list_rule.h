#pragma once
// When the open candidate list closes, and with which modal result.

namespace zo {

inline constexpr int kModalNone = 0;
inline constexpr int kModalAccept = 1;
inline constexpr int kModalCancel = 2;

enum class ListEvent {
    SelectionChanged,
    DoubleClick,
    KeyEnter,
    KeyEscape,
    ActivationChanged,
    Close,  // the window's close operation
    Terminating,
    OtherKey,
    Wheel,
    Scroll,
    Resize,
};

// The modal result an event of the open candidate list sets; kModalNone for events that set none.
[[nodiscard]] int CandidateListRule(ListEvent event) noexcept;

}  // namespace zo
